#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The body of a multipart/form-data request holding a single file part:
//   --<boundary> CRLF
//   Content-Disposition: form-data; name="<name>";filename="<fileName>" CRLF
//   Content-Type: <contentType> CRLF CRLF
//   <data>
//   CRLF --<boundary>-- CRLF
// Text goes out as Latin-1.
namespace MultipartBody {

// Everything before the file's bytes.
QByteArray prefix(const QString& name, const QString& fileName, const QString& contentType,
                  const QString& boundary);
// Everything after the file's bytes.
QByteArray suffix(const QString& boundary);
// The whole body in one array. Copies `data`: meant for checks, not for large uploads.
QByteArray build(const QByteArray& data, const QString& name, const QString& fileName,
                 const QString& contentType, const QString& boundary);
// The value of the Content-Type header for this boundary.
QByteArray contentTypeHeader(const QString& boundary);

} // namespace MultipartBody

// A read-only, random-access device that presents prefix + data + suffix as one stream without
// joining them, so a large video is never copied to build its request body. It holds `data`
// shared (Qt's implicit sharing), not copied.
//
// Threads: the device is used by whoever reads it; Qt's network module reads it on the thread
// that owns it.
class MultipartBodyDevice : public QIODevice {
    Q_OBJECT
public:
    MultipartBodyDevice(const QByteArray& prefix, const QByteArray& data, const QByteArray& suffix,
                        QObject* parent = nullptr);

    // Opens read-only, unbuffered (the pieces are already in memory).
    bool open(OpenMode mode) override;
    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 pos) override;
    bool atEnd() const override;

    // The data array this device reads from, for checks that it was not copied.
    const QByteArray& dataPiece() const { return data_; }

protected:
    qint64 readData(char* out, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray head_;
    const QByteArray data_;
    const QByteArray tail_;
};
