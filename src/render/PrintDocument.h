#pragma once
// A printable document made of blocks (titles, paragraphs, tables) and the one routine that lays
// it out on A4 pages and paints it on any paged device: a QPdfWriter for the command line, a
// QPrinter for the print preview and the printer. Table headers are repeated at the top of every
// page a table runs onto, long words are broken inside their column (nothing runs past the right
// edge) and each page carries the document's title and "Pagina N di M" at its foot. What no
// installed font can draw is drawn as "�" rather than left out, and the PDF's text layer holds
// the characters of the text, never a ligature's compatibility character.
#include <QList>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

namespace brevalto::render {

struct Column {
    Column(QString title = {}, double width = 1, bool alignRight = false)
        : title(std::move(title)), width(width), alignRight(alignRight) {}
    QString title;
    // Share of the table's width; the shares of a table need not add up to anything.
    double width = 1;
    bool alignRight = false;
};

struct Row {
    Row(QStringList cells = {}, bool bold = false) : cells(std::move(cells)), bold(bold) {}
    QStringList cells; // a cell may hold several lines separated by '\n'
    bool bold = false;
};

struct Block {
    enum class Kind { Title, Heading, Subheading, Paragraph, Table, Space, Alert };
    Kind kind = Kind::Paragraph;
    QString text;          // Title, Heading, Subheading, Paragraph, Alert
    QList<Column> columns; // Table
    QList<Row> rows;       // Table
    bool showHeader = true;
};

class PrintDocument {
public:
    // Shown at the foot of every page, beside the page number.
    QString footer;
    QList<Block> blocks;

    void title(const QString& text);
    void heading(const QString& text);
    // A bold line that stays with what follows it.
    void subheading(const QString& text);
    void paragraph(const QString& text);
    void space();
    // A warning in red, framed, across the page, put before everything else in the document.
    void alertFirst(const QString& text);
    // Starts a table; add its rows with row().
    Block& table(QList<Column> columns, bool showHeader = true);

    // Lays the document out and paints it on the device, one page after the other. Returns the
    // number of pages.
    int paint(QPagedPaintDevice& device) const;
    // A4 portrait with the margins the layout expects.
    static void setUpA4(QPagedPaintDevice& device);
    // Writes the document as a PDF file (replacing one that is there, never leaving half a
    // file). Returns the number of pages, or 0 with the reason in error.
    int writePdf(const QString& path, QString* error = nullptr) const;
    // The PDF in memory.
    QByteArray pdf(int* pages = nullptr) const;
};

} // namespace brevalto::render
