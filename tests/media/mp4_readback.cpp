#include "mp4_readback.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace readback {
namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Read-back tools finish in seconds even for long recordings; a minute means they hung.
constexpr int kToolTimeoutMs = 60000;

Result runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    Result r;
    if (!p.waitForStarted()) {
        r.err = QStringLiteral("%1 did not start").arg(program).toUtf8();
        return r;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(kToolTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("%1 timed out").arg(program).toUtf8();
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

double number(const QJsonValue& v) {
    return v.isString() ? v.toString().toDouble() : v.toDouble();
}

struct Box {
    QByteArray name;
    qint64 start = 0; // of the body
    qint64 end = 0;
};

QList<Box> boxesIn(QFile& f, qint64 from, qint64 to) {
    QList<Box> boxes;
    qint64 pos = from;
    while (pos + 8 <= to) {
        f.seek(pos);
        const QByteArray head = f.read(8);
        if (head.size() < 8)
            break;
        qint64 size = qFromBigEndian<quint32>(head.constData());
        qint64 body = pos + 8;
        if (size == 1) {
            const QByteArray large = f.read(8);
            if (large.size() < 8)
                break;
            size = qFromBigEndian<qint64>(large.constData());
            body += 8;
        } else if (size == 0) {
            size = to - pos;
        }
        if (size < body - pos)
            break;
        boxes.append({head.mid(4, 4), body, qMin(pos + size, to)});
        pos += size;
    }
    return boxes;
}

} // namespace

const Stream* Facts::first(const QString& type) const {
    for (const Stream& s : streams)
        if (s.type == type)
            return &s;
    return nullptr;
}

Stream Facts::stream(const QString& type) const {
    const Stream* s = first(type);
    return s ? *s : Stream();
}

int Facts::count(const QString& type) const {
    int n = 0;
    for (const Stream& s : streams)
        n += s.type == type;
    return n;
}

Facts probe(const QString& path) {
    Facts facts;
    const Result r = runTool("ffprobe", {"-v", "error", "-count_frames", "-show_streams",
                                         "-show_format", "-of", "json", path});
    if (r.exitCode != 0) {
        facts.error = QString::fromUtf8(r.err);
        return facts;
    }
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    facts.readable = true;
    facts.duration = number(root["format"].toObject()["duration"]);
    for (const QJsonValue& v : root["streams"].toArray()) {
        const QJsonObject o = v.toObject();
        Stream s;
        s.type = o["codec_type"].toString();
        s.codec = o["codec_name"].toString();
        s.width = o["width"].toInt();
        s.height = o["height"].toInt();
        s.sampleRate = o["sample_rate"].toString().toInt();
        s.channels = o["channels"].toInt();
        s.duration = number(o["duration"]);
        s.frames = o["nb_read_frames"].toString().toLongLong();
        facts.streams.append(s);
    }
    return facts;
}

QString x264Settings(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    const qsizetype at = data.indexOf("x264 - core");
    if (at < 0)
        return {};
    qsizetype end = data.indexOf('\0', at);
    if (end < 0)
        end = data.size();
    const QString text = QString::fromLatin1(data.mid(at, end - at));
    const qsizetype opts = text.indexOf("options: ");
    return opts < 0 ? QString() : text.mid(opts + 9).trimmed();
}

QMap<QString, QString> parseSettings(const QString& options) {
    QMap<QString, QString> map;
    for (const QString& item : options.split(' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf('=');
        if (eq > 0)
            map.insert(item.left(eq), item.mid(eq + 1));
    }
    return map;
}

QStringList topLevelBoxes(const QString& path) {
    QFile f(path);
    QStringList names;
    if (!f.open(QIODevice::ReadOnly))
        return names;
    for (const Box& b : boxesIn(f, 0, f.size()))
        names << QString::fromLatin1(b.name);
    return names;
}

QStringList childBoxes(const QString& path, const QString& parent) {
    QFile f(path);
    QStringList names;
    if (!f.open(QIODevice::ReadOnly))
        return names;
    for (const Box& b : boxesIn(f, 0, f.size())) {
        if (b.name != parent.toLatin1())
            continue;
        for (const Box& c : boxesIn(f, b.start, b.end))
            names << QString::fromLatin1(c.name);
        break;
    }
    return names;
}

QString decodeErrors(const QString& path) {
    const Result r = runTool("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    QString text = QString::fromUtf8(r.err).trimmed();
    if (r.exitCode != 0 && text.isEmpty())
        text = QStringLiteral("ffmpeg failed with exit code %1").arg(r.exitCode);
    return text;
}

QByteArray rgbFrameAt(const QString& path, double seconds, int width, int height) {
    const Result r =
        runTool("ffmpeg", {"-nostdin", "-v", "error", "-ss", QString::number(seconds), "-i", path,
                           "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "pipe:1"});
    if (r.exitCode != 0 || r.out.size() != qsizetype(width) * height * 3)
        return {};
    return r.out;
}

QList<QByteArray> rgbFrames(const QString& path, int width, int height) {
    const Result r =
        runTool("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-map", "0:v:0", "-fps_mode",
                           "passthrough", "-f", "rawvideo", "-pix_fmt", "rgb24", "pipe:1"});
    const qsizetype size = qsizetype(width) * height * 3;
    QList<QByteArray> frames;
    if (r.exitCode != 0 || size <= 0 || r.out.size() % size != 0)
        return frames;
    for (qsizetype at = 0; at < r.out.size(); at += size)
        frames << r.out.mid(at, size);
    return frames;
}

double maxVolume(const QString& path, double from, double length) {
    const Result r =
        runTool("ffmpeg", {"-nostdin", "-ss", QString::number(from), "-t", QString::number(length),
                           "-i", path, "-vn", "-af", "volumedetect", "-f", "null", "-"});
    const QRegularExpressionMatch m =
        QRegularExpression("max_volume: (-?[0-9.]+|-inf) dB").match(QString::fromLocal8Bit(r.err));
    if (!m.hasMatch())
        return 1000;
    return m.captured(1) == "-inf" ? -1000 : m.captured(1).toDouble();
}

QList<QPair<double, double>> pictureBrightness(const QString& path) {
    const Result times =
        runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                            "frame=pts_time", "-of", "csv=p=0", path});
    // Each picture shrunk to 16 x 16 grey pixels: their mean is the picture's brightness.
    const Result grey = runTool("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-map", "0:v:0",
                                           "-fps_mode", "passthrough", "-vf",
                                           "scale=16:16,format=gray", "-f", "rawvideo", "pipe:1"});
    QList<QPair<double, double>> out;
    if (times.exitCode != 0 || grey.exitCode != 0)
        return out;
    // One line per picture; side data may add a field or an empty line.
    QList<double> at;
    for (const QByteArray& line : times.out.split('\n')) {
        bool ok = false;
        const double t = line.split(',').value(0).trimmed().toDouble(&ok);
        if (ok)
            at << t;
    }
    for (int i = 0; i < at.size() && (i + 1) * 256 <= grey.out.size(); ++i) {
        qint64 sum = 0;
        for (int j = 0; j < 256; ++j)
            sum += uchar(grey.out[i * 256 + j]);
        out.append({at[i], double(sum) / 256});
    }
    return out;
}

Timeline packetTimes(const QString& path, const QString& type) {
    Timeline timeline;
    const QString selector = type == "audio" ? "a:0" : "v:0";
    const Result r =
        runTool("ffprobe",
                {"-v", "error", "-select_streams", selector, "-show_entries",
                 "stream=start_time:packet=pts_time,dts_time,duration_time", "-of", "json", path});
    if (r.exitCode != 0)
        return timeline;
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    const QJsonArray streams = root["streams"].toArray();
    if (streams.isEmpty())
        return timeline;
    timeline.readable = true;
    timeline.start = number(streams.first().toObject()["start_time"]);
    for (const QJsonValue& v : root["packets"].toArray()) {
        const QJsonObject o = v.toObject();
        timeline.packets.append(
            Packet{number(o["pts_time"]), number(o["dts_time"]), number(o["duration_time"])});
    }
    return timeline;
}

QString timelineFault(const QString& path, double tick) {
    // ffprobe prints times to the microsecond; a sound sample lasts 23 of them.
    constexpr double kEpsilon = 1e-5;
    for (const QString& type : QStringList{"video", "audio"}) {
        const Timeline t = packetTimes(path, type);
        if (!t.readable || t.packets.isEmpty())
            return type + ": no packets";
        if (std::abs(t.start) > kEpsilon)
            return QStringLiteral("%1 starts at %2 s").arg(type).arg(t.start);
        if (std::abs(t.packets.first().pts) > kEpsilon)
            return QStringLiteral("%1: first packet at %2 s").arg(type).arg(t.packets.first().pts);
        for (int i = 0; i < t.packets.size(); ++i) {
            const Packet& p = t.packets[i];
            if (p.pts < -kEpsilon || p.dts < -kEpsilon)
                return QStringLiteral("%1 packet %2: pts %3 dts %4")
                    .arg(type)
                    .arg(i)
                    .arg(p.pts)
                    .arg(p.dts);
            if (type == "video" && std::abs(p.pts / tick - std::round(p.pts / tick)) > 1e-3)
                return QStringLiteral("picture %1 at %2 s, off the ticks of %3 s")
                    .arg(i)
                    .arg(p.pts)
                    .arg(tick);
            if (i + 1 < t.packets.size() &&
                std::abs(p.pts + p.duration - t.packets[i + 1].pts) > kEpsilon)
                return QStringLiteral("%1 packet %2 at %3 s lasts %4 s, the next is at %5 s")
                    .arg(type)
                    .arg(i)
                    .arg(p.pts)
                    .arg(p.duration)
                    .arg(t.packets[i + 1].pts);
        }
    }
    return QString();
}

QByteArray monoPcm(const QString& path) {
    const Result r = runTool("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-map", "0:a:0",
                                        "-ac", "1", "-c:a", "pcm_s16le", "-f", "s16le", "pipe:1"});
    return r.exitCode == 0 ? r.out : QByteArray();
}

double zeroCrossingsPerSecond(const QByteArray& pcm, int sampleRate) {
    const qsizetype n = pcm.size() / 2;
    if (n < 2 || sampleRate <= 0)
        return 0;
    auto sample = [&](qsizetype i) {
        return qFromLittleEndian<qint16>(pcm.constData() + 2 * i);
    };
    qint64 crossings = 0;
    bool negative = sample(0) < 0;
    for (qsizetype i = 1; i < n; ++i) {
        const bool now = sample(i) < 0;
        crossings += now != negative;
        negative = now;
    }
    return double(crossings) * sampleRate / double(n);
}

QList<Window> windows(const QByteArray& pcm, int sampleRate, double seconds) {
    QList<Window> out;
    const qsizetype step = qMax<qsizetype>(1, qsizetype(sampleRate * seconds)) * 2;
    for (qsizetype at = 0; at + step <= pcm.size(); at += step) {
        const QByteArray part = pcm.mid(at, step);
        double sum = 0;
        for (qsizetype i = 0; i + 1 < part.size(); i += 2) {
            const double v = qFromLittleEndian<qint16>(part.constData() + i);
            sum += v * v;
        }
        Window w;
        w.start = double(at / 2) / sampleRate;
        w.rms = std::sqrt(sum / double(part.size() / 2));
        w.crossingsPerSecond = zeroCrossingsPerSecond(part, sampleRate);
        out.append(w);
    }
    return out;
}

double toneAmplitude(const QByteArray& pcm, int sampleRate, double hz, double from, double length) {
    const qsizetype n = pcm.size() / 2;
    const qsizetype first = qBound<qsizetype>(0, qsizetype(from * sampleRate), n);
    const qsizetype last = qBound<qsizetype>(first, qsizetype((from + length) * sampleRate), n);
    if (last <= first || sampleRate <= 0)
        return 0;
    const double w = 2 * M_PI * hz / sampleRate;
    double re = 0, im = 0;
    for (qsizetype i = first; i < last; ++i) {
        const double v = qFromLittleEndian<qint16>(pcm.constData() + 2 * i);
        re += v * std::cos(w * double(i));
        im -= v * std::sin(w * double(i));
    }
    return 2 * std::sqrt(re * re + im * im) / double(last - first);
}

int peakSample(const QByteArray& pcm) {
    int peak = 0;
    for (qsizetype i = 0; i + 1 < pcm.size(); i += 2)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(pcm.constData() + i))));
    return peak;
}

} // namespace readback
