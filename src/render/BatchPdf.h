#pragma once
// "Anteprima/PDF" on many Documents: the readable copy of each Document, built in memory as the
// export would write its file (nothing is exported, no Document is marked), written as a PDF
// into one folder under the name its invoice file would get, ".pdf" for ".xml". A PDF is written
// whole or not at all; one already there is replaced.
#include "export/BatchRun.h"
#include "render/CodeLists.h"

#include <optional>

namespace brevalto::batch {

class PdfStep {
public:
    PdfStep(DataModule& data, const QString& folder) : data_(data), folder_(folder) {}
    Result operator()();

private:
    DataModule& data_;
    QString folder_;
    std::optional<render::CodeLists> codes_; // read from the archive once per run
};

} // namespace brevalto::batch
