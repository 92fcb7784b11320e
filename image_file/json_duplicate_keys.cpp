// A single pass over the text with a stack of the open objects and arrays.
// In an object a string that follows "{" or "," is a key; everything else
// only needs to be skipped.
#include "image_file/json_duplicate_keys.h"

#include <QSet>

namespace image_file {

namespace {

struct Frame
{
    bool object = false;
    QSet<QString> keys;
    JsonPathStep step; // the key or index now being read in this frame
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Decodes the string whose opening quote is at data[at]; at is left on the
// closing quote (or the end of data).
QString ReadString(const QByteArray& data, qsizetype& at)
{
    QString text;
    qsizetype run = ++at; // first byte of the current run of plain bytes
    auto flush = [&](qsizetype end) {
        text += QString::fromUtf8(data.constData() + run, end - run);
    };
    while (at < data.size() && data[at] != '"') {
        if (data[at] != '\\') {
            ++at;
            continue;
        }
        flush(at);
        const char escaped = at + 1 < data.size() ? data[at + 1] : '\0';
        at += 2;
        switch (escaped) {
        case 'b':
            text += QChar(u'\b');
            break;
        case 'f':
            text += QChar(u'\f');
            break;
        case 'n':
            text += QChar(u'\n');
            break;
        case 'r':
            text += QChar(u'\r');
            break;
        case 't':
            text += QChar(u'\t');
            break;
        case 'u': {
            char16_t unit = 0;
            for (int k = 0; k < 4 && at < data.size(); ++k, ++at) {
                const int digit = HexDigit(data[at]);
                if (digit < 0)
                    break;
                unit = static_cast<char16_t>(unit * 16 + digit);
            }
            text += QChar(unit);
            break;
        }
        default: // '"', '\\', '/'
            text += QChar::fromLatin1(escaped);
            break;
        }
        run = std::min(at, data.size());
    }
    at = std::min(at, data.size());
    flush(at);
    return text;
}

} // namespace

std::optional<DuplicateKey> FindDuplicateKey(const QByteArray& data)
{
    std::vector<Frame> frames;
    char previous = '\0'; // the last structural character, or 'v' after a value
    for (qsizetype at = 0; at < data.size(); ++at) {
        const char c = data[at];
        switch (c) {
        case '{':
        case '[':
            frames.push_back(Frame{c == '{', {}, {QString(), c == '[' ? 0 : -1}});
            previous = c;
            break;
        case '}':
        case ']':
            if (!frames.empty())
                frames.pop_back();
            previous = 'v';
            break;
        case ',':
            if (!frames.empty() && !frames.back().object)
                ++frames.back().step.index;
            previous = c;
            break;
        case ':':
            previous = c;
            break;
        case '"': {
            const qsizetype opening = at;
            const QString text = ReadString(data, at);
            const bool isKey =
                !frames.empty() && frames.back().object && (previous == '{' || previous == ',');
            previous = 'v';
            if (!isKey)
                break;
            Frame& frame = frames.back();
            if (frame.keys.contains(text)) {
                DuplicateKey duplicate{{}, text, opening};
                for (size_t f = 0; f + 1 < frames.size(); ++f)
                    duplicate.path.push_back(frames[f].step);
                return duplicate;
            }
            frame.keys.insert(text);
            frame.step.key = text;
            break;
        }
        case ' ':
        case '\t':
        case '\n':
        case '\r':
            break;
        default: // numbers, true, false, null, a byte order mark
            previous = 'v';
            break;
        }
    }
    return std::nullopt;
}

} // namespace image_file
