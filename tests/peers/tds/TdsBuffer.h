#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace peers {

// A malformed or unexpected message from the client; the session ends.
struct TdsProtocolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Builds TDS data: integers little-endian unless said otherwise, text as
// UTF-16LE with the length prefixes the protocol names.
class TdsWriter {
public:
    void u8(quint8 v) { data_.append(char(v)); }
    void u16(quint16 v);
    void u16be(quint16 v);
    void u32(quint32 v);
    void u64(quint64 v);
    void bytes(const QByteArray& b) { data_.append(b); }
    // B_VARCHAR: a byte of character count, then the characters.
    void bVarchar(const QString& text);
    // US_VARCHAR: two bytes of character count, then the characters.
    void usVarchar(const QString& text);
    void ucs2(const QString& text);

    const QByteArray& data() const { return data_; }
    int size() const { return data_.size(); }

private:
    QByteArray data_;
};

// Reads TDS data from a received message; reading past its end is a
// TdsProtocolError.
class TdsReader {
public:
    explicit TdsReader(const QByteArray& data, int position = 0) : data_(data), position_(position) {}

    quint8 u8();
    quint16 u16();
    quint16 u16be();
    quint32 u32();
    QByteArray bytes(int count);

private:
    void require(int count) const;

    const QByteArray& data_;
    int position_;
};

QByteArray toUcs2(const QString& text);
QString fromUcs2(const QByteArray& bytes);

} // namespace peers
