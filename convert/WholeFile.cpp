#include "convert/WholeFile.h"

#include "db/Failure.h"

#include <QDir>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tw {

namespace {

QString crLfLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

} // namespace

QByteArray systemTextLines(const QStringList& lines)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(crLfLines(lines));
}

QByteArray losslessTextLines(const QStringList& lines, QStringConverter::Encoding eightBit)
{
    const QString text = crLfLines(lines);
    QStringEncoder encoder(eightBit);
    const QByteArray encoded = encoder.encode(text);
    // A character the encoding lacks comes back as another (a '?' or a
    // look-alike), so the round trip tells whether all of them survive.
    QStringDecoder decoder(eightBit);
    if (!encoder.hasError() && QString(decoder.decode(encoded)) == text)
        return encoded;
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::WriteBom);
    return utf8.encode(text);
}

void saveWholeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || (permissions && !file.setPermissions(permissions))
        || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace tw
