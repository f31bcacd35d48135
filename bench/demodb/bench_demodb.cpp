// Writes a demo database of about one million purchase lines into a
// temporary folder and prints how long it took; the target is under a minute.
//   bench_demodb [scale]      (default 112: 224,000 purchases, about 1,008,000 lines)

#include "DemoDatabase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <exception>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    orvane::demo::DemoOptions options;
    options.scale = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 112;
    options.fromYear = 2024;
    if (options.scale < 1) {
        out << "usage: bench_demodb [scale]\n";
        return 2;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.sqlite"));
    try {
        const auto summary = orvane::demo::DemoDatabase::generate(file, options);
        const qint64 lines = summary.purchaseLines + summary.returnLines;
        out << "scale " << options.scale << ": " << summary.purchases << " purchases, " << lines
            << " lines in " << QString::number(summary.seconds, 'f', 2) << " s ("
            << QString::number(double(lines) / summary.seconds, 'f', 0) << " lines/s), "
            << QFileInfo(file).size() / (1024 * 1024) << " MiB\n"
            << (summary.seconds < 60 ? "target met: under a minute\n" : "TARGET MISSED: a minute or more\n");
        return summary.seconds < 60 ? 0 : 1;
    } catch (const std::exception &e) {
        out << "bench_demodb: " << e.what() << "\n";
        return 1;
    }
}
