#include "simulation.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

QStringList bounded(const QString& program, const QStringList& arguments, int seconds) {
    return QStringList{"-k", "2", QString::number(seconds), program} + arguments;
}

Ran run(const QString& program, const QStringList& arguments, const QString& input,
        const QString& directory) {
    QProcess process;
    process.setWorkingDirectory(directory);
    process.start("timeout", bounded(program, arguments));
    process.write(input.toLatin1());
    process.closeWriteChannel();
    const bool ok = process.waitForFinished(30000) && process.exitCode() == 0;
    return {ok, QString::fromLatin1(process.readAllStandardOutput()),
            QString::fromLatin1(process.readAllStandardError())};
}

bool written(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QString assembledIn(const QString& dir, const QString& unit) {
    if (!written(dir + "/unit.asm", unit.toLatin1()))
        return "not written";
    const Ran ran = run("sdas8051", {"-plosgff", "unit.asm"}, {}, dir);
    return ran.ok ? ran.output + ran.errors : "sdas8051 failed: " + ran.errors;
}

QList<QHash<QString, int>> simulate(const QString& program, const QStringList& breaks,
                                    const QString& chip, double crystalHz, int runs,
                                    const QStringList& sdccOptions, const QString& assembly) {
    QTemporaryDir dir;
    const QStringList unit = assembly.isEmpty() ? QStringList() : QStringList{"unit.rel"};
    if ((!assembly.isEmpty() && !assembledIn(dir.path(), assembly).isEmpty()) ||
        !written(dir.filePath("main.c"), program.toLatin1()) ||
        !run("sdcc", QStringList{"-mmcs51", "main.c"} + sdccOptions + unit, {}, dir.path()).ok)
        return {};
    QString listing;
    for (const char* name : {"unit.rst", "main.rst"})
        if (QFile rst(dir.filePath(name)); rst.open(QIODevice::ReadOnly))
            listing += QString::fromLatin1(rst.readAll());
    QStringList commands;
    for (const QString& pattern : breaks)
        commands << "break 0x" +
                        QRegularExpression(pattern + ".*\\n(?:.*\\n)*?\\s+(\\w{6}) \\w\\w ")
                            .match(listing)
                            .captured(1);
    for (int i = 0; i < runs; ++i)
        commands
            << "run\ntimer get\ndump sfr 0x87 0x8e\ndump sfr 0x91 0x91\ndump sfr 0x98 0x9c\n"
               "dump sfr 0xb1 0xb2\ndump sfr 0xc4 0xcd\ndump sfr 0xd6 0xd7\ndump sfr 0xaf 0xaf";
    const QString output =
        run("s51",
            {"-t", chip, "-X", QString::number(crystalHz, 'f', 0), "-b", dir.filePath("main.ihx")},
            commands.join('\n') + "\nquit\n")
            .output;
    QList<QHash<QString, int>> stops;
    const QRegularExpression clocks("\\((\\d+) clks\\)"), sfr("0x.. (\\w+): +0b\\d+ 0x(..)");
    const QRegularExpression unnamed("\\n0x(..) +((?:[0-9a-f]{2} )+)");
    for (const QString& text : output.split("Stop at").mid(1)) {
        const int clock = clocks.match(text).captured(1).toInt();
        QHash<QString, int> stop{{"clock", clock}, {"cycle", clock / 12}};
        for (const auto& match : sfr.globalMatch(text))
            stop[match.captured(1)] = match.captured(2).toInt(nullptr, 16);
        for (const auto& match : unnamed.globalMatch(text)) {
            const int address = match.captured(1).toInt(nullptr, 16);
            const QStringList bytes = match.captured(2).split(' ', Qt::SkipEmptyParts);
            for (int i = 0; i < bytes.size(); ++i)
                stop[QString::number(address + i, 16).toUpper()] = bytes[i].toInt(nullptr, 16);
        }
        stops << stop;
    }
    return stops;
}

const char* const dirtyRegisters =
    "__sfr __at(0x8E) dirty_8E;\n__sfr __at(0xC4) dirty_C4;\n__sfr __at(0x91) dirty_91;\n"
    "__sfr __at(0xB1) dirty_B1;\n__sfr __at(0xB2) dirty_B2;\n";

QString dirtySwitches(int clock) {
    return QString("    dirty_8E = %1;\n    dirty_C4 = 0xFF;\n    dirty_91 = 0x01;\n"
                   "    dirty_B1 = 0xFF;\n    dirty_B2 = 0xFF;\n")
        .arg(clock == 1 ? "0x01" : "0xFF");
}

QString shown(const QHash<QString, int>& stop, const QString& expected) {
    QStringList seen;
    for (const QString& pair : expected.split(' ', Qt::SkipEmptyParts))
        seen << pair.section('=', 0, 0) +
                    QString::asprintf("=%02X", stop.value(pair.section('=', 0, 0), -1));
    return seen.join(' ');
}

QString assembledAlone(const QTemporaryDir& dir, const QString& unit) {
    QString complaints = assembledIn(dir.path(), unit);
    if (unit.startsWith("/*")) { // C, which SDCC compiles
        const Ran ran = written(dir.filePath("unit.c"), unit.toLatin1())
                            ? run("sdcc", {"-mmcs51", "-c", "unit.c"}, {}, dir.path())
                            : Ran{false, {}, "not written"};
        complaints = ran.ok ? ran.output + ran.errors : "sdcc failed: " + ran.errors;
    }
    const Ran ran =
        run("sdld", {"-n", "-i", "-b", "CSEG=0x0100", "-b", "DSEG=0x0030", "main.ihx", "unit.rel"},
            {}, dir.path());
    return complaints + (ran.ok ? ran.output + ran.errors : "sdld failed: " + ran.errors);
}

QMap<int, int> imageBytes(const QString& path, QList<int>* clashes) {
    QMap<int, int> bytes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return bytes;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.size() < 11 || line[0] != ':' || line.mid(7, 2) != "00")
            continue;
        const int count = line.mid(1, 2).toInt(nullptr, 16), at = line.mid(3, 4).toInt(nullptr, 16);
        for (int i = 0; i < count; ++i) {
            const int byte = line.mid(9 + 2 * i, 2).toInt(nullptr, 16);
            if (clashes != nullptr && bytes.value(at + i, byte) != byte)
                *clashes << at + i;
            bytes[at + i] = byte;
        }
    }
    return bytes;
}

QString forAs31(const QString& a51) {
    QStringList lines;
    int data = 0x30;
    const QRegularExpression declared("^(\\w+)\\t(?:DATA|BIT)\\t(\\w+)$"),
        reserved("^(\\w+):\\tDS\\t(\\d+)$"), dropped("^\\t(NAME|PUBLIC|RSEG|END)\\b|\\tSEGMENT\\t");
    for (const QString& line : a51.split('\n')) {
        const auto declaration = declared.match(line), variable = reserved.match(line);
        if (declaration.hasMatch() && QRegularExpression("^(T2CON|RCAP2.|T[HLRF]2|ET2)$")
                                          .match(declaration.captured(1))
                                          .hasMatch())
            continue;
        if (declaration.hasMatch())
            lines << "\t.EQU " + declaration.captured(1) + ", " + declaration.captured(2);
        else if (variable.hasMatch())
            lines << QString("\t.EQU %1, %2").arg(variable.captured(1)).arg(data);
        else if (line.startsWith("\tCSEG\tAT "))
            lines << "\t.ORG " + line.mid(9);
        else if (line.startsWith("\tRSEG\t") && line.endsWith("_CODE"))
            lines << "\t.ORG 0100H";
        else if (!dropped.match(line).hasMatch())
            lines << line;
        data += variable.captured(2).toInt();
    }
    return lines.join('\n');
}
