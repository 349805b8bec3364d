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

INSTANTIATE_TEST_SUITE_P(Scenarios, SchemaValidationTest, ::testing::ValuesIn(validScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace brevalto
