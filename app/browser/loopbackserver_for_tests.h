// An HTTP server on 127.0.0.1 for the browser tests, at a port of the system's choosing. It answers
// one request per connection, then closes it, and records every connection and every request it
// gets (its head and body), so that a test can tell what a page sent and how often a page was
// asked for. Anything not served gets 404.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <map>
#include <memory>
#include <utility>

class LoopbackServer : public QTcpServer {
  public:
    struct Reply {
        QByteArray contentType = "text/html";
        QByteArray body;
        QByteArray extraHeaders = {};  // whole header lines, each ending with CR LF
        QByteArray status = "200 OK";
        bool stall = false;  // leave the request unanswered until dropStalled()
    };
    /// Gives the reply to the n-th request (from 1) for a path.
    using Responder = std::function<Reply(int n)>;

    bool start() { return listen(QHostAddress::LocalHost, 0); }

    void serve(const QByteArray& path, Reply reply) {
        responders_[path] = [reply = std::move(reply)](int) { return reply; };
    }
    void serve(const QByteArray& path, Responder responder) { responders_[path] = std::move(responder); }

    /// Closes the connections left unanswered.
    void dropStalled() {
        for (QTcpSocket* socket : std::exchange(stalled_, {})) {
            if (socket) socket->abort();
        }
    }

    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

    /// The requests for a path (the query not counted in the path).
    int requests(const QByteArray& path) const {
        const auto it = counts_.find(path);
        return it == counts_.end() ? 0 : it->second;
    }

    /// Every request received so far, head and body, in order.
    const QList<QByteArray>& all() const { return all_; }
    /// The connections accepted so far, also those that never sent a request (a preconnect).
    int connections() const { return connections_; }

    /// True when any request received holds `text` (in its target, headers or body, also
    /// percent-encoded in the target).
    bool sawText(const QByteArray& text) const {
        const QByteArray encoded = text.toPercentEncoding();
        for (const QByteArray& request : all_) {
            if (request.contains(text) || request.contains(encoded)) return true;
        }
        return false;
    }

  protected:
    void incomingConnection(qintptr descriptor) override {
        ++connections_;
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            request->append(socket->readAll());
            const qsizetype end = request->indexOf("\r\n\r\n");
            if (end < 0) return;
            // Wait for a body the head announces.
            const qsizetype lengthAt = request->toLower().indexOf("content-length:");
            if (lengthAt >= 0 && lengthAt < end) {
                const qsizetype lineEnd = request->indexOf("\r\n", lengthAt);
                const int length = request->mid(lengthAt + 15, lineEnd - lengthAt - 15).trimmed().toInt();
                if (request->size() < end + 4 + length) return;
            }
            answer(socket, *request);
            request->clear();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

  private:
    void answer(QTcpSocket* socket, const QByteArray& request) {
        all_ << request;
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        QByteArray path = line.size() > 1 ? line[1] : QByteArray();
        if (const qsizetype query = path.indexOf('?'); query >= 0) path.truncate(query);
        const int n = ++counts_[path];
        const auto it = responders_.find(path);
        if (it == responders_.end()) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        const Reply reply = it->second(n);
        if (reply.stall) {
            stalled_ << socket;
            return;
        }
        socket->write("HTTP/1.1 " + reply.status + "\r\n" + reply.extraHeaders + "Content-Type: " + reply.contentType +
                      "\r\nContent-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                      reply.body);
        socket->disconnectFromHost();
    }

    std::map<QByteArray, Responder> responders_;
    std::map<QByteArray, int> counts_;
    QList<QByteArray> all_;
    QList<QPointer<QTcpSocket>> stalled_;
    int connections_ = 0;
};
