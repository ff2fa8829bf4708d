// The browser tests' helpers, which the window tests share: waiting in the event loop for a
// condition, writing a fixture file, and a temporary directory of the test's own that tells
// whether anything wrote a temporary file. Test-only; GUI thread only.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

/// Runs the event loop until `done` holds or `ms` have passed; returns whether it holds. Unlike
/// QTest::qWaitFor, which sleeps between its polls and so starves the web engine's work on this
/// thread (a page of a thousand images then takes minutes), it blocks only while nothing happens.
inline bool WaitUntil(const std::function<bool()>& done, int ms) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

/// Writes `bytes` to the file `path`. Returns false if it cannot be written whole.
inline bool WriteTestFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// Makes an empty folder of the test's own the system's temporary directory (TMPDIR) while it
/// lives, so that a test can tell whether anything wrote a temporary file; puts the former TMPDIR
/// back at its end. Qt makes its runtime folder under TMPDIR when XDG_RUNTIME_DIR is not set; that
/// is no file of the program's, so it then gets a folder of its own beside this one.
class PrivateTempDir {
  public:
    PrivateTempDir() : previous_(qgetenv("TMPDIR")), runtimeSet_(qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        if (runtimeSet_) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        if (dir_.isValid()) qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    }
    ~PrivateTempDir() {
        previous_.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", previous_);
        if (runtimeSet_) qunsetenv("XDG_RUNTIME_DIR");
    }
    PrivateTempDir(const PrivateTempDir&) = delete;
    PrivateTempDir& operator=(const PrivateTempDir&) = delete;

    bool isValid() const { return dir_.isValid() && runtime_.isValid(); }
    /// The names in the folder, hidden ones included; none while nothing wrote there.
    QStringList entries() const {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

  private:
    QByteArray previous_;  // read before the folders are made under it
    bool runtimeSet_;      // XDG_RUNTIME_DIR was not set, and is while this lives
    QTemporaryDir runtime_;
    QTemporaryDir dir_;
};
