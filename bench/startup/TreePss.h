// Memory of the whole process tree: the proportional set size of this process and of every
// process descended from it (the web engine's helpers, for one), summed from /proc.
#pragma once

#include <QDir>
#include <QFile>
#include <QMultiHash>
#include <unistd.h>

namespace bench {

struct TreeMemory {
    long pssKb = 0;
    // The part of it that is the processes' own data rather than mapped files: it does not
    // change with what other programs on the machine share of the same libraries.
    long anonKb = 0;
    int processes = 0;
};

// Adds one process's figures in kB; nothing when it is gone or unreadable.
inline void AddProcess(qint64 pid, TreeMemory& tree) {
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return;
    ++tree.processes;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2)
            continue;
        if (words[0] == "Pss:")
            tree.pssKb += words[1].toLong();
        else if (words[0] == "Pss_Anon:")
            tree.anonKb += words[1].toLong();
    }
}

inline TreeMemory TreePss() {
    // Parent of every process, from the field after the command name in /proc/<pid>/stat.
    QMultiHash<qint64, qint64> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children.insert(fields[1].toLongLong(), pid);
    }
    TreeMemory tree;
    QList<qint64> pending{getpid()};
    while (!pending.isEmpty()) {
        const qint64 pid = pending.takeLast();
        AddProcess(pid, tree);
        pending += children.values(pid);
    }
    return tree;
}

} // namespace bench
