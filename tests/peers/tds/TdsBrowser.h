#pragma once

#include <QString>
#include <atomic>
#include <thread>

namespace peers {

// The SQL Server Browser's answer for one named instance: on UDP port 1434
// of 127.0.0.1 it tells a client asking for the instance the TCP port the
// instance listens on, so that "host\instance" server names resolve.
class TdsBrowser {
public:
    TdsBrowser(const QString& instance, quint16 tcpPort);
    ~TdsBrowser();
    TdsBrowser(const TdsBrowser&) = delete;
    TdsBrowser& operator=(const TdsBrowser&) = delete;

    // False when port 1434 is taken (another browser, or no permission).
    bool start();
    void stop();

private:
    void serve();
    QByteArray answer() const;

    QString instance_;
    quint16 tcpPort_;
    qintptr socket_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace peers
