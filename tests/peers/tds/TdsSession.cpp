#include "peers/tds/TdsSession.h"

#include "peers/tds/TdsBuffer.h"
#include "peers/tds/TdsColumnCodec.h"
#include "peers/tds/TdsLogin.h"
#include "peers/tds/TdsSocket.h"
#include "peers/tds/TdsTokens.h"

#include <QRegularExpression>

namespace peers {

namespace {

// DONE token command codes.
constexpr quint16 kSelectCommand = 0xC1;
constexpr quint16 kSetCommand = 0xBE;

constexpr int kSmallestPacket = 512;
constexpr int kLargestPacket = 32767;
// Errors of this severity end the connection, as on the server.
constexpr int kFatalSeverity = 20;

// SQL Server's number and text for a logon it refuses.
MsServerError loginFailed(const QString& login)
{
    return MsServerError(18456, 1, 14, QStringLiteral("Login failed for user '%1'.").arg(login));
}

QString batchText(const QByteArray& data)
{
    // TDS 7.2 and later put ALL_HEADERS (its total length first) before the text.
    TdsReader reader(data);
    const quint32 headers = reader.u32();
    if (headers < 4 || int(headers) > data.size())
        throw TdsProtocolError("SQL batch headers longer than the batch");
    return fromUcs2(data.mid(int(headers)));
}

} // namespace

TdsSession::TdsSession(TdsSocket& socket, const TdsSessionHost& host, quint16 spid)
    : socket_(socket), host_(host), spid_(spid)
{
}

TdsSession::~TdsSession() = default;

void TdsSession::run()
{
    bool preLoginSeen = false;
    while (!closing_) {
        const TdsSocket::Message message = socket_.readMessage();
        switch (message.type) {
        case TdsPacket::PreLogin:
            if (preLoginSeen || loggedOn_) {
                // A TLS handshake travels in PRELOGIN packets after the first.
                sendError(18456, 1, 20, QStringLiteral("The TDS peer does not support encryption."), true);
                break;
            }
            preLoginSeen = true;
            handlePreLogin(message.data);
            break;
        case TdsPacket::Login7:
            handleLogin(message.data);
            break;
        case TdsPacket::SqlBatch:
            if (!loggedOn_)
                throw TdsProtocolError("SQL batch before logon");
            handleBatch(message.data);
            break;
        case TdsPacket::Attention:
            handleAttention();
            break;
        default:
            refuse(QStringLiteral("The TDS peer does not support requests of packet type %1.").arg(message.type));
            break;
        }
    }
}

void TdsSession::handlePreLogin(const QByteArray& data)
{
    const TdsPreLogin request = parsePreLogin(data);
    TdsMessageWriter writer(socket_, packetSize_, spid_);
    writer.append(preLoginResponse());
    writer.finish();
    // A client that insists on encryption gives up on hearing the answer.
    if (request.encryption == TdsEncryption::Required)
        closing_ = true;
}

void TdsSession::handleLogin(const QByteArray& data)
{
    const TdsLogin7 login = parseLogin7(data);
    // The highest protocol version the peer speaks is TDS 7.4.
    tdsVersion_ = qMin(login.tdsVersion, kTds74);
    if (tdsVersion_ < 0x72000000)
        tdsVersion_ = kTds74;
    host_.recordLogin(login.userName, login.database);

    MsSession session;
    try {
        host_.withModel([&] {
            session = host_.model->logon(login.userName, login.password, login.integrated, login.database);
        });
    } catch (const MsServerError& error) {
        TdsMessageWriter writer(socket_, packetSize_, spid_);
        writer.append(messageToken(true, error.number, error.state, error.severity, error.message));
        if (error.number != 18456) {
            const MsServerError failed = loginFailed(login.userName);
            writer.append(messageToken(true, failed.number, failed.state, failed.severity, failed.message));
        }
        writer.append(doneToken(TdsDone::Error, 0, 0));
        writer.finish();
        closing_ = true;
        return;
    }

    const int requested = int(login.packetSize);
    const int oldSize = packetSize_;
    session_ = session;
    loggedOn_ = true;
    TdsMessageWriter writer(socket_, packetSize_, spid_);
    writer.append(databaseChangeToken(session.database, QStringLiteral("master")));
    writer.append(messageToken(false, 5701, 2, 0,
                               QStringLiteral("Changed database context to '%1'.").arg(session.database)));
    writer.append(collationChangeToken());
    writer.append(languageChangeToken(QStringLiteral("us_english")));
    writer.append(messageToken(false, 5703, 1, 0, QStringLiteral("Changed language setting to us_english.")));
    writer.append(loginAckToken(tdsVersion_));
    packetSize_ = qBound(kSmallestPacket, requested == 0 ? oldSize : requested, kLargestPacket);
    writer.append(packetSizeChangeToken(packetSize_, oldSize));
    writer.append(doneToken(TdsDone::Final, 0, 0));
    writer.finish();
}

void TdsSession::handleBatch(const QByteArray& data)
{
    const QString sql = batchText(data);
    host_.recordBatch(sql);

    static const QRegularExpression setTextSize(QStringLiteral(R"(^\s*set\s+textsize\s+(-?\d+)\s*;?\s*$)"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch textSize = setTextSize.match(sql);
    if (textSize.hasMatch()) {
        const qint64 size = textSize.captured(1).toLongLong();
        textSize_ = size <= 0 ? 4096 : size;
        TdsMessageWriter writer(socket_, packetSize_, spid_);
        writer.append(doneToken(TdsDone::Final, kSetCommand, 0));
        writer.finish();
        return;
    }

    MsResult result;
    try {
        host_.withModel([&] { result = host_.model->execute(session_, sql); });
    } catch (const MsServerError& error) {
        sendError(error.number, error.state, error.severity, error.message, error.severity >= kFatalSeverity);
        return;
    } catch (const std::exception& error) {
        // A fault of the model itself still reaches the client as an error.
        refuse(QString::fromStdString(error.what()));
        return;
    }
    sendResult(result);
}

void TdsSession::sendResult(const MsResult& result)
{
    TdsMessageWriter writer(socket_, packetSize_, spid_);
    if (result.columns.isEmpty()) {
        writer.append(doneToken(TdsDone::Final, 0, 0));
        writer.finish();
        return;
    }
    QVector<TdsColumnCodec> columns;
    try {
        for (const MsResultColumn& column : result.columns)
            columns.append(TdsColumnCodec(column, tdsVersion_));
    } catch (const std::invalid_argument& error) {
        sendError(50000, 1, 16, QString::fromStdString(error.what()), false);
        return;
    }
    writer.append(colMetadataToken(columns));

    const int dropAfter = host_.dropAfterRows();
    const int stallAfter = host_.stallAfterRows();
    quint64 sent = 0;
    for (const QVector<SqlValue>& row : result.rows) {
        if (int(sent) == dropAfter) {
            writer.flushPartial();
            socket_.shutdown();
            throw TdsConnectionClosed();
        }
        if (int(sent) == stallAfter) {
            writer.flushPartial();
            host_.waitForStop();
            throw TdsConnectionClosed();
        }
        try {
            writer.append(rowToken(columns, row, textSize_));
        } catch (const std::invalid_argument& error) {
            writer.append(messageToken(true, 50000, 1, 16, QString::fromStdString(error.what())));
            writer.append(doneToken(TdsDone::Error | TdsDone::Count, kSelectCommand, sent));
            writer.finish();
            return;
        }
        ++sent;
    }
    writer.append(doneToken(TdsDone::Count, kSelectCommand, sent));
    writer.finish();
}

void TdsSession::handleAttention()
{
    // Every answer has gone out whole before the next request is read, so
    // there is nothing left to cancel: acknowledge.
    TdsMessageWriter writer(socket_, packetSize_, spid_);
    writer.append(doneToken(TdsDone::Attention, 0, 0));
    writer.finish();
}

void TdsSession::sendError(int number, int state, int severity, const QString& text, bool closeAfter)
{
    TdsMessageWriter writer(socket_, packetSize_, spid_);
    writer.append(messageToken(true, number, state, severity, text));
    writer.append(doneToken(TdsDone::Error, 0, 0));
    writer.finish();
    closing_ = closeAfter;
}

void TdsSession::refuse(const QString& text)
{
    sendError(50000, 1, 16, text, false);
}

} // namespace peers
