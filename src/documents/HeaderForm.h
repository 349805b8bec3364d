#pragma once
// What the header editor's five screens share: they all edit the current Document
// (TablePA_FE_Header), show the party's identity above its tabs (or alone, when the screen has
// no tabs), fill CAP, province and country when a municipality is picked, and test their rules on
// the text a field shows.
#include "ui/FormEditor.h"

namespace brevalto {

class HeaderForm : public FormEditor {
    Q_OBJECT
public:
    HeaderForm(DataModule& db, const QString& caption, QWidget* parent = nullptr);
};

} // namespace brevalto
