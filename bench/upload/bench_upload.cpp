// clipnest_bench_upload <file> <service host>
// Reads the file into memory as the program does with a finished recording, uploads it with
// HttpUploader and prints: the answer, seconds, MB/s, and the process's peak resident memory
// before and after the upload.
#include "upload/HttpUploader.h"
#include "upload/ServiceUrls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <sys/resource.h>

#include <cstdio>

namespace {
long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <file> <service host>\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    QByteArray data = file.readAll();
    file.close();
    const long rssLoaded = peakRssKiB();

    HttpUploader uploader;
    QString answer;
    QString failure;
    int lastPercent = -1;
    QObject::connect(&uploader, &HttpUploader::progressChanged,
                     [&](double p) { lastPercent = int(p); });
    QObject::connect(&uploader, &HttpUploader::finished, [&](const QString& a) {
        answer = a;
        app.quit();
    });
    QObject::connect(&uploader, &HttpUploader::error, [&](const QString& e) {
        failure = e;
        app.quit();
    });
    const qint64 size = data.size();
    QElapsedTimer clock;
    clock.start();
    uploader.upload(ServiceUrls::uploadUrl(QString::fromLocal8Bit(argv[2]), 1920, 1080), data,
                    "attachment", "video.mp4", "video/mp4", "Ax3WQkoke");
    // The uploader shares the bytes; dropping ours shows that nothing else holds a copy.
    data = QByteArray();
    app.exec();
    const double seconds = clock.elapsed() / 1000.0;

    QTextStream out(stdout);
    const double mb = size / 1e6;
    out << "file size:        " << Qt::fixed << qSetRealNumberPrecision(1) << mb << " MB\n";
    out << "peak RSS loaded:  " << rssLoaded / 1024.0 << " MiB\n";
    out << "peak RSS total:   " << peakRssKiB() / 1024.0 << " MiB\n";
    out << "overhead:         " << (peakRssKiB() * 1024.0 - size) / (1024.0 * 1024.0)
        << " MiB above the file size\n";
    out << "time:             " << qSetRealNumberPrecision(2) << seconds << " s\n";
    out << "throughput:       " << qSetRealNumberPrecision(1) << mb / seconds << " MB/s\n";
    out << "last progress:    " << lastPercent << "%\n";
    if (!failure.isEmpty()) {
        out << "error:            " << failure << "\n";
        return 1;
    }
    out << "answer:           " << answer << "\n";
    return ServiceUrls::isAcceptedAnswer(answer) ? 0 : 1;
}
