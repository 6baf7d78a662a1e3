#include "exchange/VCard.h"
#include "exchange/VCardCard.h"

#include <QBuffer>
#include <QFileDevice>

namespace exchange {

namespace {

// The file is read in pieces of this size; a line longer than that is gathered whole.
constexpr qint64 kPieceBytes = 64 * 1024;

bool HoldsControlCharacter(const QString &text) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

// A name or a number with a control character in it (a NUL, an escape) comes from a damaged
// or crafted file: stored, it would reach the call display and the exports.
bool Refused(const VCardEntry &e) {
    if (HoldsControlCharacter(e.name))
        return true;
    for (const VCardNumber &n : e.numbers)
        if (HoldsControlCharacter(n.number))
            return true;
    return false;
}

} // namespace

bool VCardReader::fill() {
    if (atEnd_)
        return false;
    QByteArray piece = device_.read(kPieceBytes);
    if (piece.isEmpty()) {
        const auto *file = qobject_cast<QFileDevice *>(&device_);
        readFailed_ = file && file->error() != QFileDevice::NoError;
        atEnd_ = true;
        if (utf16_)
            buffer_ += QString(utf16_->decode(QByteArrayView())).toUtf8();
        return false;
    }
    if (!started_) {
        started_ = true;
        // UTF-16 (some phones write it) is read as UTF-8; a UTF-8 byte order mark is dropped.
        if (piece.startsWith("\xFF\xFE") || piece.startsWith("\xFE\xFF")) {
            utf16_.emplace(piece.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                        : QStringConverter::Utf16BE);
            piece.remove(0, 2);
        } else if (piece.startsWith("\xEF\xBB\xBF")) {
            piece.remove(0, 3);
        }
    }
    if (pos_ > kPieceBytes) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    buffer_ += utf16_ ? QString(utf16_->decode(piece)).toUtf8() : piece;
    return true;
}

std::optional<VCardReader::Line> VCardReader::physicalLine() {
    if (peeked_) {
        std::optional<Line> line = std::move(peeked_);
        peeked_.reset();
        return line;
    }
    qsizetype scanned = pos_;
    for (;;) {
        // A CR that ended the previous line takes the LF after it along.
        if (afterCr_ && pos_ < buffer_.size()) {
            afterCr_ = false;
            if (buffer_.at(pos_) == '\n')
                scanned = ++pos_;
        }
        qsizetype end = scanned;
        while (end < buffer_.size() && buffer_.at(end) != '\n' && buffer_.at(end) != '\r')
            ++end;
        if (end < buffer_.size()) {
            Line line{buffer_.mid(pos_, end - pos_), lineNumber_++};
            afterCr_ = buffer_.at(end) == '\r';
            pos_ = end + 1;
            return line;
        }
        scanned = end;
        const qsizetype from = pos_;
        if (!fill()) {
            if (pos_ >= buffer_.size())
                return std::nullopt;
            Line line{buffer_.mid(pos_), lineNumber_++};
            pos_ = buffer_.size();
            return line;
        }
        // fill() may have moved the unread bytes to the front.
        scanned -= from - pos_;
    }
}

std::optional<VCardReader::Line> VCardReader::contentLine() {
    std::optional<Line> line = physicalLine();
    if (!line)
        return std::nullopt;
    // Folded lines: a line that starts with a blank or a tab continues the one before.
    for (;;) {
        peeked_ = physicalLine();
        if (!peeked_ || peeked_->text.isEmpty() ||
            (peeked_->text.at(0) != ' ' && peeked_->text.at(0) != '\t'))
            break;
        line->text += peeked_->text.mid(1);
        peeked_.reset();
    }
    // Quoted-printable soft breaks (2.1): a value ending in "=" goes on in the next line.
    const QByteArray &text = line->text;
    if (text.left(text.indexOf(':')).toUpper().contains("QUOTED-PRINTABLE")) {
        while (line->text.endsWith('=')) {
            std::optional<Line> next = physicalLine();
            if (!next)
                break;
            line->text.chop(1);
            line->text += next->text;
        }
    }
    return line;
}

std::optional<VCardReader::Card> VCardReader::endOfCard() {
    inCard_ = false;
    std::optional<VCardEntry> e = card::EntryOfLines(card_);
    card_.clear();
    if (!e)
        return Card{std::nullopt, {VCardFault::Kind::Empty, cards_, cardLine_}};
    if (Refused(*e))
        return Card{std::nullopt, {VCardFault::Kind::ControlCharacters, cards_, cardLine_}};
    return Card{std::move(e), {}};
}

std::optional<VCardReader::Card> VCardReader::next() {
    while (std::optional<Line> line = contentLine()) {
        if (line->text.trimmed().isEmpty())
            continue;
        anyText_ = true;
        switch (card::BoundaryOf(line->text)) {
        case card::Boundary::Begin: {
            const VCardFault cut{VCardFault::Kind::Truncated, cards_, cardLine_};
            const bool wasInCard = inCard_;
            ++cards_;
            inCard_ = true;
            cardLine_ = line->number;
            card_.clear();
            if (wasInCard)
                return Card{std::nullopt, cut};
            break;
        }
        case card::Boundary::End:
            if (inCard_)
                return endOfCard();
            break;
        case card::Boundary::None:
            if (inCard_)
                card_.push_back(line->text);
            break;
        }
    }
    if (inCard_) {
        inCard_ = false;
        card_.clear();
        return Card{std::nullopt, {VCardFault::Kind::Truncated, cards_, cardLine_}};
    }
    return std::nullopt;
}

VCardFile ParseVCards(const QByteArray &bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(buffer);
    VCardFile file;
    while (std::optional<VCardReader::Card> card = reader.next()) {
        if (card->entry)
            file.entries.push_back(std::move(*card->entry));
        else
            file.faults.push_back(card->fault);
    }
    file.cards = reader.cards();
    return file;
}

} // namespace exchange
