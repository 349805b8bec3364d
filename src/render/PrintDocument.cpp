#include "render/PrintDocument.h"
#include "store/WholeFile.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <memory>
#include <vector>

namespace brevalto::render {

namespace {

Block textBlock(Block::Kind kind, const QString& text) {
    Block block;
    block.kind = kind;
    block.text = text;
    return block;
}

} // namespace

void PrintDocument::title(const QString& text) {
    blocks.append(textBlock(Block::Kind::Title, text));
}

void PrintDocument::heading(const QString& text) {
    blocks.append(textBlock(Block::Kind::Heading, text));
}

void PrintDocument::subheading(const QString& text) {
    blocks.append(textBlock(Block::Kind::Subheading, text));
}

void PrintDocument::paragraph(const QString& text) {
    if (!text.trimmed().isEmpty())
        blocks.append(textBlock(Block::Kind::Paragraph, text));
}

void PrintDocument::space() {
    blocks.append(textBlock(Block::Kind::Space, {}));
}

void PrintDocument::alertFirst(const QString& text) {
    blocks.prepend(textBlock(Block::Kind::Alert, text));
}

Block& PrintDocument::table(QList<Column> columns, bool showHeader) {
    Block block;
    block.kind = Block::Kind::Table;
    block.columns = std::move(columns);
    block.showHeader = showHeader;
    blocks.append(std::move(block));
    return blocks.last();
}

namespace {

enum FontRole { Body, BodyBold, TitleFont, HeadingFont, FooterFont, AlertFont, FontCount };

// How a text reaches the page. Qt's PDF output names every glyph in the text layer by a character
// the font maps to that glyph, which goes wrong twice:
// - a ligature ("fi" drawn as one glyph) is named by its compatibility character U+FB01, so a
//   copied "ufficio" reads "uﬃcio" and a search for it fails. Latin, Greek, Cyrillic, Armenian
//   and the common characters (digits, punctuation, symbols) need no shaping, so they are laid out
//   unshaped, which forms no ligatures; other scripts (Arabic joins its letters) stay shaped.
// - only characters up to U+FFFF are named; beyond them (emoji, mathematical letters) a glyph is
//   drawn that cannot be copied or found. Those, and characters no installed font can draw (which
//   would otherwise vanish or show as an empty box), become U+FFFD "�", drawn and copied alike.
class Typesetter {
public:
    static constexpr char16_t kPlaceholder = 0xFFFD;

    Typesetter(const QFont& font, QPaintDevice* device) : shaped_(font), device_(device) {
        flat_ = shaped_;
        flat_.setStyleStrategy(
            QFont::StyleStrategy(flat_.styleStrategy() | QFont::PreferNoShaping));
    }

    // The text as it is drawn: composed accents, a placeholder for what cannot be drawn or copied.
    static QString drawable(const QString& s, const QFontMetricsF& metrics) {
        const QString composed = s.normalized(QString::NormalizationForm_C);
        QString out;
        out.reserve(composed.size());
        for (const char32_t c : composed.toUcs4()) {
            // Spaces and format marks (joiners, direction marks) draw nothing on purpose.
            const bool unseen = QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format;
            if (c > 0xFFFF || (!unseen && !metrics.inFontUcs4(c)))
                out += QChar(kPlaceholder);
            else
                out += QChar(char16_t(c));
        }
        return out;
    }

    // A one-line layout of the text, unwrapped when width is negative.
    std::unique_ptr<QTextLayout> layout(const QString& s, double width = -1) const {
        auto layout = std::make_unique<QTextLayout>(s, shaped_, device_);
        layout->setFormats(flatRanges(s));
        QTextOption option;
        option.setWrapMode(width < 0 ? QTextOption::NoWrap
                                     : QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        for (QTextLine l = layout->createLine(); l.isValid(); l = layout->createLine())
            l.setLineWidth(width < 0 ? 1e9 : width);
        layout->endLayout();
        return layout;
    }

    double width(const QString& s) const {
        if (s.isEmpty())
            return 0;
        const auto l = layout(s);
        return l->lineCount() > 0 ? l->lineAt(0).naturalTextWidth() : 0;
    }

    // Draws one line of text with its baseline at the point.
    void draw(QPainter& painter, QPointF baseline, const QString& s) const {
        if (s.isEmpty())
            return;
        const auto l = layout(s);
        if (l->lineCount() == 0)
            return;
        l->draw(&painter, QPointF(baseline.x(), baseline.y() - l->lineAt(0).ascent()));
    }

private:
    static bool needsShaping(char32_t c) {
        switch (QChar::script(c)) {
        case QChar::Script_Latin:
        case QChar::Script_Greek:
        case QChar::Script_Cyrillic:
        case QChar::Script_Armenian:
            return false;
        default:
            return true;
        }
    }
    static bool followsNeighbour(char32_t c) {
        const QChar::Script script = QChar::script(c);
        return script == QChar::Script_Common || script == QChar::Script_Inherited;
    }

    // The stretches laid out unshaped. Digits, spaces, punctuation and accents belong to the
    // stretch before them, so that a word in a shaped script is never cut in two.
    QList<QTextLayout::FormatRange> flatRanges(const QString& s) const {
        QList<QTextLayout::FormatRange> ranges;
        bool flat = true;
        qsizetype i = 0;
        for (const char32_t c : s.toUcs4()) {
            const qsizetype units = c > 0xFFFF ? 2 : 1;
            if (!followsNeighbour(c))
                flat = !needsShaping(c);
            if (flat) {
                if (!ranges.isEmpty() && ranges.last().start + ranges.last().length == i) {
                    ranges.last().length += int(units);
                } else {
                    QTextLayout::FormatRange r;
                    r.start = int(i);
                    r.length = int(units);
                    r.format.setFont(flat_);
                    ranges.append(r);
                }
            }
            i += units;
        }
        return ranges;
    }

    QFont shaped_;
    QFont flat_;
    QPaintDevice* device_;
};

struct Op {
    enum class Kind { Text, Fill, Line, Frame };
    Kind kind;
    QRectF rect; // Text: the point is rect.topLeft() (baseline), Line: from topLeft to bottomRight
    QString text;
    int font = Body;
    QColor color = Qt::black; // Text and Frame: the ink, Fill: the paint
};

using Page = std::vector<Op>;

class Layout {
public:
    explicit Layout(QPaintDevice& device) : device_(device) {
        mm_ = device.logicalDpiY() / 25.4;
        const auto make = [&](double points, bool bold) {
            QFont f;
            f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                           QStringLiteral("Sans Serif")});
            f.setPointSizeF(points);
            f.setBold(bold);
            return QFont(f, &device);
        };
        fonts_[Body] = make(7.5, false);
        fonts_[BodyBold] = make(7.5, true);
        fonts_[TitleFont] = make(13, true);
        fonts_[HeadingFont] = make(10, true);
        fonts_[FooterFont] = make(7, false);
        fonts_[AlertFont] = make(10, true);
        for (int i = 0; i < FontCount; ++i) {
            metrics_.emplace_back(fonts_[i], &device);
            type_.emplace_back(fonts_[i], &device);
        }
        width_ = device.width();
        footerHeight_ = metrics_[FooterFont].lineSpacing() + 3 * mm_;
        pageHeight_ = device.height() - footerHeight_;
    }

    const QFont& font(int role) const { return fonts_[role]; }
    const QFontMetricsF& metrics(int role) const { return metrics_[role]; }
    const Typesetter& type(int role) const { return type_[role]; }
    QString drawable(const QString& s) const { return Typesetter::drawable(s, metrics_[Body]); }
    double footerTop() const { return pageHeight_ + 2 * mm_; }
    double width() const { return width_; }

    std::vector<Page> run(const QList<Block>& blocks) {
        pages_.clear();
        newPage();
        for (const Block& block : blocks) {
            switch (block.kind) {
            case Block::Kind::Title:
                textLines(block.text, TitleFont, 0, width_);
                y_ += 2 * mm_;
                break;
            case Block::Kind::Heading: {
                // A heading stays with the first lines of what follows it.
                const double lines =
                    metrics_[HeadingFont].lineSpacing() + 5 * metrics_[Body].lineSpacing();
                ensure(lines + 2 * mm_);
                y_ += 1.5 * mm_;
                textLines(block.text, HeadingFont, 0, width_);
                line(QPointF(0, y_ + 0.4 * mm_), QPointF(width_, y_ + 0.4 * mm_));
                y_ += 1.5 * mm_;
                break;
            }
            case Block::Kind::Subheading:
                ensure(5 * metrics_[Body].lineSpacing());
                y_ += 0.8 * mm_;
                textLines(block.text, BodyBold, 0, width_);
                y_ += 0.5 * mm_;
                break;
            case Block::Kind::Paragraph:
                textLines(block.text, Body, 0, width_);
                y_ += 0.8 * mm_;
                break;
            case Block::Kind::Alert:
                alert(block.text);
                break;
            case Block::Kind::Space:
                y_ += 3 * mm_;
                break;
            case Block::Kind::Table:
                table(block);
                y_ += 2 * mm_;
                break;
            }
        }
        return std::move(pages_);
    }

private:
    void newPage() {
        pages_.emplace_back();
        y_ = 0;
    }
    void ensure(double height) {
        if (y_ > 0 && y_ + height > pageHeight_)
            newPage();
    }
    void text(double x, double top, const QString& s, int role, QColor color = Qt::black) {
        pages_.back().push_back({Op::Kind::Text,
                                 QRectF(QPointF(x, top + metrics_[role].ascent()), QSizeF()), s,
                                 role, color});
    }
    void line(QPointF from, QPointF to) {
        pages_.back().push_back({Op::Kind::Line, QRectF(from, to), {}, Body});
    }
    void fill(const QRectF& r, QColor color = QColor(228, 228, 228)) {
        pages_.back().push_back({Op::Kind::Fill, r, {}, Body, color});
    }

    // A framed warning in red across the page.
    void alert(const QString& s) {
        const double pad = 2 * mm_;
        const QStringList lines = wrap(s, AlertFont, width_ - 2 * pad);
        const double ls = metrics_[AlertFont].lineSpacing();
        const double h = lines.size() * ls + 2 * pad;
        ensure(h);
        const QRectF box(0, y_, width_, h);
        fill(box, QColor(253, 228, 228));
        pages_.back().push_back({Op::Kind::Frame, box, {}, Body, QColor(183, 28, 28)});
        double top = y_ + pad;
        for (const QString& l : lines) {
            text(pad, top, l, AlertFont, QColor(183, 28, 28));
            top += ls;
        }
        y_ += h + 2 * mm_;
    }

    // The lines a text takes in the given width: at its own line breaks, at word boundaries,
    // and inside a word that is wider than the column.
    QStringList wrap(const QString& s, int role, double width) const {
        QStringList out;
        const Typesetter& type = type_[role];
        for (const QString& part : drawable(s).split(QLatin1Char('\n'))) {
            if (type.width(part) <= width) {
                out << part;
                continue;
            }
            const auto layout = type.layout(part, width);
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine l = layout->lineAt(i);
                out << part.mid(l.textStart(), l.textLength()).trimmed();
            }
        }
        return out;
    }

    void textLines(const QString& s, int role, double x, double width) {
        const double ls = metrics_[role].lineSpacing();
        for (const QString& l : wrap(s, role, width)) {
            ensure(ls);
            text(x, y_, l, role);
            y_ += ls;
        }
    }

    struct Cells {
        std::vector<QStringList> lines;
        int height = 0; // in lines
    };

    void table(const Block& block) {
        const double pad = 0.8 * mm_;
        // A number is never broken: a right-aligned column is at least as wide as its widest
        // cell, and the other columns share what is left by their shares.
        const size_t n = block.columns.size();
        std::vector<double> need(n, 0);
        for (size_t i = 0; i < n; ++i) {
            if (!block.columns[i].alignRight)
                continue;
            for (const Row& row : block.rows) {
                if (qsizetype(i) >= row.cells.size())
                    continue;
                const Typesetter& type = type_[row.bold ? BodyBold : Body];
                for (const QString& part : drawable(row.cells[i]).split(QLatin1Char('\n')))
                    need[i] = std::max(need[i], type.width(part) + 2 * pad + 1);
            }
        }
        std::vector<double> w(n);
        std::vector<bool> widened(n, false);
        for (bool changed = true; changed;) {
            changed = false;
            double left = width_;
            double flexShares = 0;
            for (size_t i = 0; i < n; ++i) {
                if (widened[i])
                    left -= need[i];
                else
                    flexShares += block.columns[i].width;
            }
            for (size_t i = 0; i < n; ++i) {
                w[i] = widened[i]
                           ? need[i]
                           : (flexShares > 0 ? left * block.columns[i].width / flexShares : 0);
                if (!widened[i] && need[i] > w[i] && left > need[i]) {
                    widened[i] = true;
                    changed = true;
                }
            }
        }
        std::vector<double> x;
        double at = 0;
        for (size_t i = 0; i < n; ++i) {
            x.push_back(at);
            at += w[i];
        }
        const auto layoutRow = [&](const QStringList& cells, int role) {
            Cells r;
            for (qsizetype i = 0; i < qsizetype(w.size()); ++i) {
                r.lines.push_back(i < cells.size() ? wrap(cells[i], role, w[i] - 2 * pad)
                                                   : QStringList());
                r.height = std::max(r.height, int(r.lines.back().size()));
            }
            r.height = std::max(r.height, 1);
            return r;
        };
        const double ls = metrics_[Body].lineSpacing();
        QStringList titles;
        for (const Column& c : block.columns)
            titles << c.title;
        const Cells header = layoutRow(titles, BodyBold);
        const double headerHeight = block.showHeader ? header.height * ls + 2 * pad : 0;
        const auto drawRowPart = [&](const Cells& r, int from, int count, int role, bool shade) {
            const double h = count * ls + 2 * pad;
            if (shade)
                fill(QRectF(0, y_, width_, h));
            for (size_t i = 0; i < w.size(); ++i) {
                const bool right = block.columns[i].alignRight;
                const QStringList& cell = r.lines[i];
                for (int k = from; k < from + count && k < cell.size(); ++k) {
                    double tx = x[i] + pad;
                    if (right)
                        tx = x[i] + w[i] - pad - type_[role].width(cell[k]);
                    text(tx, y_ + pad + (k - from) * ls, cell[k], role);
                }
            }
            y_ += h;
            line(QPointF(0, y_), QPointF(width_, y_));
        };
        const auto drawHeader = [&] {
            if (!block.showHeader)
                return;
            line(QPointF(0, y_), QPointF(width_, y_));
            drawRowPart(header, 0, header.height, BodyBold, true);
        };
        bool headerShown = false;
        for (const Row& row : block.rows) {
            const int role = row.bold ? BodyBold : Body;
            const Cells cells = layoutRow(row.cells, role);
            int from = 0;
            while (from < cells.height) {
                const double room = pageHeight_ - y_ - (headerShown ? 0 : headerHeight) - 2 * pad;
                int fit = int(room / ls);
                const int left = cells.height - from;
                // A row is split across pages only when it is taller than a page.
                const int wholePage = int((pageHeight_ - headerHeight - 2 * pad) / ls);
                if (fit < left && (fit < 1 || left <= wholePage) && y_ > 0) {
                    newPage();
                    headerShown = false;
                    continue;
                }
                if (!headerShown) {
                    drawHeader();
                    headerShown = true;
                }
                const int count = std::max(1, std::min(fit, left));
                drawRowPart(cells, from, count, role, false);
                from += count;
            }
        }
        if (!headerShown && block.showHeader) {
            ensure(headerHeight);
            drawHeader();
        }
    }

    QPaintDevice& device_;
    double mm_ = 1;
    QFont fonts_[FontCount];
    std::vector<QFontMetricsF> metrics_;
    std::vector<Typesetter> type_;
    double width_ = 0;
    double footerHeight_ = 0;
    double pageHeight_ = 0;
    double y_ = 0;
    std::vector<Page> pages_;
};

} // namespace

int PrintDocument::paint(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    Layout layout(device);
    const std::vector<Page> pages = layout.run(blocks);
    const int total = int(pages.size());
    const QPen rule(QColor(150, 150, 150), 0);
    for (int p = 0; p < total; ++p) {
        if (p > 0)
            device.newPage();
        for (const Op& op : pages[p]) {
            switch (op.kind) {
            case Op::Kind::Text:
                painter.setPen(op.color);
                layout.type(op.font).draw(painter, op.rect.topLeft(), op.text);
                break;
            case Op::Kind::Fill:
                painter.fillRect(op.rect, op.color);
                break;
            case Op::Kind::Line:
                painter.setPen(rule);
                painter.drawLine(op.rect.topLeft(), op.rect.bottomRight());
                break;
            case Op::Kind::Frame:
                painter.setPen(QPen(op.color, 0.5 * device.logicalDpiY() / 25.4));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(op.rect);
                break;
            }
        }
        const Typesetter& type = layout.type(FooterFont);
        const QFontMetricsF& fm = layout.metrics(FooterFont);
        const QString number = QStringLiteral("Pagina %1 di %2").arg(p + 1).arg(total);
        const double numberWidth = type.width(number);
        const double base = layout.footerTop() + fm.ascent();
        painter.setPen(rule);
        painter.drawLine(QPointF(0, layout.footerTop() - 0.5 * fm.height() / 2),
                         QPointF(layout.width(), layout.footerTop() - 0.5 * fm.height() / 2));
        painter.setPen(Qt::black);
        // The title is cut short, with an ellipsis, where it would reach the page number.
        const double room = layout.width() - numberWidth - fm.height();
        QString title = layout.drawable(footer);
        if (type.width(title) > room) {
            while (!title.isEmpty() && type.width(title + QChar(0x2026)) > room)
                title.chop(1);
            title = title.trimmed() + QChar(0x2026);
        }
        type.draw(painter, QPointF(0, base), title);
        type.draw(painter, QPointF(layout.width() - numberWidth, base), number);
    }
    painter.end();
    return total;
}

void PrintDocument::setUpA4(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
}

QByteArray PrintDocument::pdf(int* pages) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    int count = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Brevalto"));
        writer.setTitle(footer);
        setUpA4(writer);
        count = paint(writer);
    }
    if (pages)
        *pages = count;
    return count > 0 ? bytes : QByteArray();
}

int PrintDocument::writePdf(const QString& path, QString* error) const {
    int pages = 0;
    const QByteArray bytes = pdf(&pages);
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return 0;
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("Impossibile comporre il PDF."));
    QString why;
    if (!writeWholeFile(path, bytes, &why))
        return fail(QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, why));
    return pages;
}

} // namespace brevalto::render
