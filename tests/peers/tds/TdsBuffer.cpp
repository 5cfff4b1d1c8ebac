#include "peers/tds/TdsBuffer.h"

namespace peers {

void TdsWriter::u16(quint16 v)
{
    u8(quint8(v));
    u8(quint8(v >> 8));
}

void TdsWriter::u16be(quint16 v)
{
    u8(quint8(v >> 8));
    u8(quint8(v));
}

void TdsWriter::u32(quint32 v)
{
    u16(quint16(v));
    u16(quint16(v >> 16));
}

void TdsWriter::u64(quint64 v)
{
    u32(quint32(v));
    u32(quint32(v >> 32));
}

void TdsWriter::bVarchar(const QString& text)
{
    const QString cut = text.left(255);
    u8(quint8(cut.size()));
    ucs2(cut);
}

void TdsWriter::usVarchar(const QString& text)
{
    const QString cut = text.left(65535);
    u16(quint16(cut.size()));
    ucs2(cut);
}

void TdsWriter::ucs2(const QString& text)
{
    data_.append(toUcs2(text));
}

void TdsReader::require(int count) const
{
    if (count < 0 || position_ + count > data_.size())
        throw TdsProtocolError("message shorter than its contents claim");
}

quint8 TdsReader::u8()
{
    require(1);
    return quint8(data_[position_++]);
}

quint16 TdsReader::u16()
{
    const quint16 low = u8();
    return quint16(low | (quint16(u8()) << 8));
}

quint16 TdsReader::u16be()
{
    const quint16 high = u8();
    return quint16((high << 8) | u8());
}

quint32 TdsReader::u32()
{
    const quint32 low = u16();
    return low | (quint32(u16()) << 16);
}

QByteArray TdsReader::bytes(int count)
{
    require(count);
    const QByteArray result = data_.mid(position_, count);
    position_ += count;
    return result;
}

QByteArray toUcs2(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QString fromUcs2(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(quint16(quint8(bytes[i]) | (quint16(quint8(bytes[i + 1])) << 8))));
    return text;
}

} // namespace peers
