// tst_savefile.cpp - whole-file writes under real faults: nothing earlier is lost, nothing is left.
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "savefile.h"
#include "waitlimit.h"

using tolvex::qt::WriteWholeFile;
using tolvex::qt::test::kWaitLimitMs;
using tolvex::ui::WriteStatus;

Q_DECLARE_METATYPE(WriteStatus)

namespace {

const QByteArray kEarlier = "earlier content\r\n";
const QByteArray kNew = QByteArray("000 002 003 ").repeated(240);  // 2880 bytes

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool Run(const QString& program, const QStringList& arguments) {
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        return false;
    }
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(kWaitLimitMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Takes away root's power over file permissions for one scope by running under the
// effective user "nobody"; a no-op for an ordinary user.
class Unprivileged {
  public:
    Unprivileged() : wasRoot_(geteuid() == 0) {
        if (wasRoot_) {
            active_ = setegid(65534) == 0 && seteuid(65534) == 0;
        }
    }
    ~Unprivileged() {
        if (wasRoot_) {
            (void)seteuid(0);
            (void)setegid(0);
        }
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;
    bool Ok() const { return !wasRoot_ || active_; }

  private:
    bool wasRoot_;
    bool active_ = false;
};

}  // namespace

class TestSaveFile : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup();
    void writes_data();
    void writes();
    void newFileGetsUsualPermissions();
    void faults_data();
    void faults();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;  // where the file is written
    QString mount_;   // a tiny file system mounted for the test, if any
    QStringList immutable_;
};

void TestSaveFile::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // Open to every user, for the test that runs as "nobody".
    QVERIFY(QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner | QFile::ReadOther |
                                                    QFile::ExeOther));
    folder_ = dir_->path() + "/out";
    QVERIFY(QDir().mkpath(folder_));
}

void TestSaveFile::cleanup() {
    for (const QString& path : std::as_const(immutable_)) {
        Run("chattr", {"-i", path});
    }
    immutable_.clear();
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!mount_.isEmpty()) {
        umount(mount_.toLocal8Bit().constData());
        mount_.clear();
    }
    dir_.reset();
}

void TestSaveFile::writes_data() {
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new file") << false << kNew;
    QTest::newRow("replaces an existing file") << true << kNew;
    QTest::newRow("empty text empties the file") << true << QByteArray();
    QTest::newRow("bytes kept as they are") << false << QByteArray("a\r\nb\0c\xd6\xd0", 8);
}

void TestSaveFile::writes() {
    QFETCH(bool, existing);
    QFETCH(QByteArray, bytes);
    const QString path = folder_ + "/result.txt";
    if (existing) {
        WriteFile(path, kEarlier);
    }
    QCOMPARE(WriteWholeFile(path, bytes), WriteStatus::Ok);
    QCOMPARE(ReadAll(path), bytes);
    QCOMPARE(QDir(folder_).entryList(QDir::Files | QDir::Hidden), QStringList{"result.txt"});
}

void TestSaveFile::newFileGetsUsualPermissions() {
    // The temporary file must not leave the new file readable by its owner only.
    const mode_t mask = umask(022);
    const QString path = folder_ + "/new.txt";
    QCOMPARE(WriteWholeFile(path, kNew), WriteStatus::Ok);
    umask(mask);
    struct stat info {};
    QCOMPARE(stat(path.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t{0644});
}

void TestSaveFile::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<WriteStatus>("status");

    QTest::newRow("read-only file") << "read-only file" << WriteStatus::CannotCreate;
    QTest::newRow("immutable file") << "immutable file" << WriteStatus::CannotCreate;
    QTest::newRow("folder without write permission")
        << "read-only folder" << WriteStatus::CannotCreate;
    QTest::newRow("immutable folder") << "immutable folder" << WriteStatus::CannotCreate;
    QTest::newRow("name too long") << "long name" << WriteStatus::CannotCreate;
    QTest::newRow("missing folder") << "missing folder" << WriteStatus::CannotCreate;
    QTest::newRow("empty name") << "empty name" << WriteStatus::CannotCreate;
    QTest::newRow("name of a folder") << "folder name" << WriteStatus::CannotCreate;
    QTest::newRow("disk full") << "disk full" << WriteStatus::WriteFailed;
    QTest::newRow("file size limit") << "file size limit" << WriteStatus::WriteFailed;
}

void TestSaveFile::faults() {
    QFETCH(QString, fault);
    QFETCH(WriteStatus, status);

    if (fault == "disk full") {
        // A file system of 64 KiB, filled up but for a few bytes.
        mount_ = dir_->path() + "/tiny";
        QVERIFY(QDir().mkpath(mount_));
        if (mount("tolvex-test", mount_.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0) {
            const QString reason = QString(
                                       "cannot mount a tmpfs here (%1); the file-size-limit "
                                       "case covers a failing write")
                                       .arg(qt_error_string(errno));
            mount_.clear();
            QSKIP(qPrintable(reason));
        }
        folder_ = mount_;
    }

    const QString path = folder_ + "/result.txt";
    if (fault != "missing folder" && fault != "long name" && fault != "empty name" &&
        fault != "folder name") {
        WriteFile(path, kEarlier);
    }
    if (fault == "disk full") {
        QFile filler(folder_ + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
    }
    const QStringList before = QDir(folder_).entryList(QDir::Files | QDir::Hidden);

    QString target = path;
    WriteStatus result = WriteStatus::Ok;
    if (fault == "read-only file") {
        // No write permission for anybody; root is refused as well.
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        result = WriteWholeFile(target, kNew);
    } else if (fault == "immutable file" || fault == "immutable folder") {
        const QString which = fault == "immutable file" ? path : folder_;
        if (!Run("chattr", {"+i", which})) {
            QSKIP("chattr +i is not available here (needs root and a file system with flags)");
        }
        immutable_ << which;
        result = WriteWholeFile(target, kNew);
    } else if (fault == "read-only folder") {
        QVERIFY(QFile::setPermissions(
            folder_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QFile::setPermissions(
            path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);
        Unprivileged user;
        QVERIFY2(user.Ok(), "could not change to the user nobody");
        result = WriteWholeFile(target, kNew);
    } else if (fault == "long name") {
        target = folder_ + "/" + QString(300, u'n') + ".txt";
        result = WriteWholeFile(target, kNew);
    } else if (fault == "missing folder") {
        target = folder_ + "/no/such/folder/result.txt";
        result = WriteWholeFile(target, kNew);
    } else if (fault == "empty name") {
        target.clear();
        result = WriteWholeFile(target, kNew);
    } else if (fault == "folder name") {
        QVERIFY(QDir().mkpath(path));
        result = WriteWholeFile(target, kNew);
    } else if (fault == "disk full") {
        result = WriteWholeFile(target, kNew);
    } else if (fault == "file size limit") {
        // No file may grow past 100 bytes: the write falls short as on a full disk.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit tiny = saved;
        tiny.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        result = WriteWholeFile(target, kNew);
        setrlimit(RLIMIT_FSIZE, &saved);
    }

    QCOMPARE(result, status);
    // Nothing lost, nothing left behind.
    if (before.contains("result.txt")) {
        QCOMPARE(ReadAll(path), kEarlier);
    }
    QCOMPARE(QDir(folder_).entryList(QDir::Files | QDir::Hidden), before);
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
