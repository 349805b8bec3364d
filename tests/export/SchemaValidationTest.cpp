#include "ExportTestSupport.h"

#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

class SchemaValidationTest : public ::testing::TestWithParam<Scenario> {};

// Every file the export writes from sound data passes the official schema.
TEST_P(SchemaValidationTest, TheFileIsValid) {
    ExportArchive a;
    const int doc = GetParam().build(a);
    a.exportDocument(doc, "valida.xml");
    const QString errors = schemaErrors(a.folder.file("valida.xml"));
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

// The engine of the archive is invisible in the file: the server run writes every scenario byte
// for byte as an archive file does.
TEST_P(SchemaValidationTest, TheServerWritesTheSameBytesAsAFile) {
    if (!onServer())
        GTEST_SKIP() << "confronto fatto nella prova sul server";
    QByteArray written[2];
    for (const bool onFile : {true, false}) {
        ExportArchive a(onFile);
        ASSERT_EQ(a.db().isServer(), !onFile);
        const int doc = GetParam().build(a);
        a.exportDocument(doc, "fattura.xml");
        written[onFile ? 0 : 1] = readFile(a.folder.file("fattura.xml"));
    }
    ASSERT_FALSE(written[0].isEmpty());
    EXPECT_EQ(written[1], written[0]);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, SchemaValidationTest, ::testing::ValuesIn(validScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace brevalto
