#include "pec/PecMessage.h"

#include <QRegularExpression>

namespace brevalto::pec {

namespace {

// Every address in a text.
QStringList addresses(const QString& text) {
    static const QRegularExpression address(
        QStringLiteral(R"(([A-Za-z0-9._%+\-]+@[A-Za-z0-9.\-]+))"));
    QStringList out;
    auto it = address.globalMatch(text);
    while (it.hasNext())
        out << it.next().captured(1).toLower();
    return out;
}

ReceiptKind receiptKind(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("accettazione"))
        return ReceiptKind::Accepted;
    if (v == QLatin1String("non-accettazione"))
        return ReceiptKind::NotAccepted;
    if (v == QLatin1String("avvenuta-consegna"))
        return ReceiptKind::Delivered;
    if (v == QLatin1String("errore-consegna"))
        return ReceiptKind::NotDelivered;
    if (v == QLatin1String("preavviso-errore-consegna"))
        return ReceiptKind::Warning;
    return ReceiptKind::Other;
}

// The msgid of daticert.xml, for a receipt without X-Riferimento-Message-ID.
QString daticertMessageId(const MimePart& top) {
    for (const MimePart* p : top.leaves()) {
        if (p->fileName().compare(QLatin1String("daticert.xml"), Qt::CaseInsensitive) != 0)
            continue;
        static const QRegularExpression msgid(QStringLiteral("<msgid>([^<]*)</msgid>"));
        const auto m = msgid.match(QString::fromUtf8(p->body));
        if (m.hasMatch()) {
            QString id = m.captured(1);
            id.replace(QLatin1String("&lt;"), QLatin1String("<"))
                .replace(QLatin1String("&gt;"), QLatin1String(">"));
            return normalizedMessageId(id.toUtf8());
        }
    }
    return {};
}

bool isNotificationName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(_(RC|NS|MC|NE|DT|AT|EC|SE|MT)_[A-Za-z0-9]{1,3}\.(xml|xml\.p7m|zip)$)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

} // namespace

QString receiptText(ReceiptKind kind) {
    switch (kind) {
    case ReceiptKind::Accepted:
        return QStringLiteral("Accettazione");
    case ReceiptKind::NotAccepted:
        return QStringLiteral("Non accettazione");
    case ReceiptKind::Delivered:
        return QStringLiteral("Consegna");
    case ReceiptKind::NotDelivered:
        return QStringLiteral("Mancata consegna");
    case ReceiptKind::Warning:
        return QStringLiteral("Preavviso di mancata consegna");
    case ReceiptKind::Other:
        break;
    }
    return QStringLiteral("Ricevuta del gestore");
}

bool isSdiAddress(const QString& address) {
    return address.trimmed().toLower().endsWith(QLatin1String("@pec.fatturapa.it"));
}

PecMessage readPecMessage(const QByteArray& raw) {
    PecMessage out;
    const MimePart top = parseMime(raw);
    if (top.headers.isEmpty() || top.header("From").isEmpty()) {
        out.kind = PecMessage::Kind::Unreadable;
        out.why = QStringLiteral("non è un messaggio di posta leggibile");
        return out;
    }
    out.messageId = normalizedMessageId(top.header("Message-ID"));
    out.subject = top.text("Subject").simplified();
    out.from = top.text("From").simplified();

    const QString ricevuta = QString::fromLatin1(top.header("X-Ricevuta"));
    if (!ricevuta.isEmpty()) {
        out.kind = PecMessage::Kind::Receipt;
        out.receiptValue = ricevuta;
        out.receipt = receiptKind(ricevuta);
        out.referencedId = normalizedMessageId(top.header("X-Riferimento-Message-ID"));
        if (out.referencedId.isEmpty())
            out.referencedId = daticertMessageId(top);
        const int colon = out.subject.indexOf(QLatin1Char(':'));
        out.referencedSubject = colon >= 0 ? out.subject.mid(colon + 1).trimmed() : QString();
        if (out.referencedId.isEmpty()) {
            out.kind = PecMessage::Kind::Other;
            out.why =
                QStringLiteral("ricevuta del gestore che non dice a quale messaggio si riferisce");
        }
        return out;
    }

    // The envelope: the original message is the message/rfc822 part (postacert.eml).
    const MimePart* inner = nullptr;
    for (const MimePart* p : top.leaves()) {
        if (p->contentType() == "message/rfc822" && !p->message.isEmpty()) {
            if (!inner ||
                p->fileName().compare(QLatin1String("postacert.eml"), Qt::CaseInsensitive) == 0)
                inner = &p->message.first();
        }
    }
    const bool certified = !top.header("X-Trasporto").isEmpty();
    QStringList senders;
    senders << addresses(top.text("From")) << addresses(top.text("Reply-To"))
            << addresses(top.text("Return-Path"));
    if (inner)
        senders << addresses(inner->text("From"));
    for (const QString& s : senders)
        if (isSdiAddress(s)) {
            out.sdiAddress = s;
            break;
        }
    if (!certified || !inner || out.sdiAddress.isEmpty()) {
        out.kind = PecMessage::Kind::Other;
        out.why = inner && certified
                      ? QStringLiteral("posta certificata non inviata dal Sistema di Interscambio")
                      : QStringLiteral("messaggio non inviato dal Sistema di Interscambio");
        return out;
    }
    bool metadata = false;
    for (const MimePart* p : inner->leaves()) {
        const QString name = p->fileName();
        if (name.isEmpty() || !p->parts.isEmpty())
            continue;
        if (isNotificationName(name)) {
            if (name.contains(QLatin1String("_MT_"), Qt::CaseInsensitive))
                metadata = true;
            out.files << NotificationFile{name, p->body};
        }
    }
    // The text of the inner message can name the box to write to from now on.
    for (const MimePart* p : QList<const MimePart*>{inner} + inner->leaves()) {
        if (p->contentType() != "text/plain" || !p->parts.isEmpty())
            continue;
        static const QRegularExpression next(
            QStringLiteral(R"(nuovo indirizzo[^@]*?\b(sdi[0-9]+@pec\.fatturapa\.it))"),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = next.match(QString::fromLatin1(p->body));
        if (m.hasMatch()) {
            out.nextSdiAddress = m.captured(1).toLower();
            break;
        }
    }
    if (metadata) {
        out.kind = PecMessage::Kind::IncomingInvoice;
        out.why = QStringLiteral("fattura ricevuta dal Sistema di Interscambio: da leggere con la "
                                 "posta");
        out.files.clear();
        return out;
    }
    if (out.files.isEmpty()) {
        out.kind = PecMessage::Kind::Other;
        out.why = QStringLiteral("messaggio del Sistema di Interscambio senza file di notifica");
        return out;
    }
    out.kind = PecMessage::Kind::Notification;
    return out;
}

} // namespace brevalto::pec
