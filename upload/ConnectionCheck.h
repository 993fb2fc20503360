#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

// What trying an upload service told about it, for the settings window's "Test connection".
struct ConnectionVerdict {
    enum class Kind {
        Accepts,       // the upload address is there and takes uploads with this token
        NeedsToken,    // 401 to a request without a token
        TokenRefused,  // 401 to a request with the token
        NotAService,   // something answers, but no upload service (404, 405, a page...)
        Refused,       // the service refused for another reason it names (403, 3xx...)
        Troubled,      // the service is there but failing (5xx, 429, 408)
        CannotConnect, // no answer: nothing listens, unknown host, TLS failure, timeout
        BadSettings,   // the address or token cannot be used at all; nothing was sent
    };
    Kind kind = Kind::CannotConnect;
    int httpStatus = 0;
    // Readable and translated; the service's own words in it are meant to be shown as plain
    // text.
    QString message;
};

// Judging the answer to the probe apart from the network, so that every kind of answer can be
// tried without a server. Pure.
namespace ConnectionVerdicts {

// `url` is the address probed (for naming the service, never with credentials); `tokenSent`
// whether the probe carried a token.
ConnectionVerdict forAnswer(const QUrl& url, int status, const QByteArray& body,
                            const QByteArray& contentType, bool tokenSent);
ConnectionVerdict forNetworkError(const QUrl& url, QNetworkReply::NetworkError code,
                                  const QString& errorString);
// The address or token the user typed, checked as an upload would check them; an empty
// verdict message when both are usable.
ConnectionVerdict forSettings(const QString& serviceHost, const QString& token);

} // namespace ConnectionVerdicts

Q_DECLARE_METATYPE(ConnectionVerdict)

// Asks the upload service at an address whether it would take an upload, without sending a
// video: an upload request with an empty body, which a service checks the token of and then
// refuses for having no video (the reference service answers 415), and stores nothing.
// GUI thread only; the request runs asynchronously and finished() reports it.
class ConnectionCheck : public QObject {
    Q_OBJECT
public:
    // A service that has not answered an empty request in this time would not take a video
    // either; the user is waiting with the window open.
    static constexpr int kTimeoutMs = 10000;

    explicit ConnectionCheck(QObject* parent = nullptr);
    ~ConnectionCheck() override;

    // Starts a check of `serviceHost` ("host[:port]" or an http(s) address) with `token` (empty:
    // none), dropping one under way. Reports through finished(), never from within this call.
    void start(const QString& serviceHost, const QString& token);
    void cancel();
    bool isRunning() const { return reply_ != nullptr; }

signals:
    void finished(const ConnectionVerdict& verdict);

private:
    void onFinished();

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QUrl url_;
    bool tokenSent_ = false;
};
