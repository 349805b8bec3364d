// The main of the headless tests (store, export, document logic): a QCoreApplication, as the
// command line has.
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

// The run on the server engine needs a server: without its address every test is skipped, saying
// why, rather than failing.
class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qgetenv("BREVALTO_TEST_ENGINE") == "postgresql" &&
            qEnvironmentVariableIsEmpty("BREVALTO_TEST_PG"))
            GTEST_SKIP() << "BREVALTO_TEST_PG non impostata: nessun server PostgreSQL per i test "
                            "(scripts/test lo avvia con scripts/pg-cluster)";
    }
    void TearDown() override { brevalto::test::dropServerDatabases(); }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);
    return RUN_ALL_TESTS();
}
