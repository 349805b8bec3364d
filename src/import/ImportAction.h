#pragma once
// "Importa fattura xml…" of the Document register: asks for an invoice file through the prompt,
// imports it and shows the summary; the register then stands on the new Document.
namespace brevalto {

class DataModule;
class Prompt;

// True when a Document was imported. A cancelled dialog does nothing and says nothing; a refused
// file or an archive error is shown with its summary.
bool importInvoiceFromRegister(DataModule& data, Prompt& prompt);

} // namespace brevalto
