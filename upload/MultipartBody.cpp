#include "upload/MultipartBody.h"

#include <algorithm>
#include <cstring>

namespace {
const QByteArray kCrlf = QByteArrayLiteral("\r\n");
}

namespace MultipartBody {

QByteArray prefix(const QString& name, const QString& fileName, const QString& contentType,
                  const QString& boundary) {
    QByteArray out;
    out += "--" + boundary.toLatin1() + kCrlf;
    // No space between the name and filename parameters: the service's parser expects the
    // line exactly like this.
    out += "Content-Disposition: form-data; name=\"" + name.toLatin1() + "\";filename=\"" +
           fileName.toLatin1() + "\"" + kCrlf;
    out += "Content-Type: " + contentType.toLatin1() + kCrlf + kCrlf;
    return out;
}

QByteArray suffix(const QString& boundary) {
    return kCrlf + "--" + boundary.toLatin1() + "--" + kCrlf;
}

QByteArray build(const QByteArray& data, const QString& name, const QString& fileName,
                 const QString& contentType, const QString& boundary) {
    return prefix(name, fileName, contentType, boundary) + data + suffix(boundary);
}

QByteArray contentTypeHeader(const QString& boundary) {
    return "multipart/form-data; boundary=" + boundary.toLatin1();
}

} // namespace MultipartBody

MultipartBodyDevice::MultipartBodyDevice(const QByteArray& prefix, const QByteArray& data,
                                         const QByteArray& suffix, QObject* parent)
    : QIODevice(parent)
    , head_(prefix)
    , data_(data)
    , tail_(suffix) {}

bool MultipartBodyDevice::open(OpenMode mode) {
    if ((mode & ReadWrite) != ReadOnly)
        return false;
    return QIODevice::open(mode | Unbuffered);
}

qint64 MultipartBodyDevice::size() const {
    return qint64(head_.size()) + data_.size() + tail_.size();
}

bool MultipartBodyDevice::seek(qint64 pos) {
    if (pos < 0 || pos > size())
        return false;
    return QIODevice::seek(pos);
}

bool MultipartBodyDevice::atEnd() const {
    return pos() >= size();
}

qint64 MultipartBodyDevice::readData(char* out, qint64 maxSize) {
    // Unbuffered: pos() is where the caller's read starts.
    qint64 at = pos();
    qint64 written = 0;
    const QByteArray* pieces[] = {&head_, &data_, &tail_};
    qint64 pieceStart = 0;
    for (const QByteArray* piece : pieces) {
        const qint64 pieceEnd = pieceStart + piece->size();
        if (written < maxSize && at >= pieceStart && at < pieceEnd) {
            const qint64 n = std::min(maxSize - written, pieceEnd - at);
            std::memcpy(out + written, piece->constData() + (at - pieceStart), size_t(n));
            written += n;
            at += n;
        }
        pieceStart = pieceEnd;
    }
    return written;
}
