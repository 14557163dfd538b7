// savefile.cpp - whole-file writes through QSaveFile.
#include "savefile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace tolvex::qt {

ui::WriteStatus WriteWholeFile(const QString& path, QByteArrayView bytes) {
    using ui::WriteStatus;
    const QFileInfo info(path);
    if (info.exists()) {
        // isWritable() asks the system (access(2)), which also refuses immutable files and
        // read-only mounts; a file without any write permission bit is read-only even for
        // root, who would otherwise pass every permission check.
        constexpr auto kAnyWrite =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isFile() || !info.isWritable() || !(info.permissions() & kAnyWrite)) {
            return WriteStatus::CannotCreate;
        }
    }

    QSaveFile file(path);
    file.setDirectWriteFallback(false);  // never write into the file itself
    // Unbuffered, so that every failing write shows here: QSaveFile::commit() does not see a
    // failure of the final flush of its buffer, and would put a short file in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return WriteStatus::CannotCreate;
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        file.cancelWriting();  // the destructor then removes the temporary file
        return WriteStatus::WriteFailed;
    }
    if (!file.commit()) {
        // Every byte is written; only putting the file in place can have failed, when the
        // old file could not be replaced.
        return file.error() == QFileDevice::RenameError ? WriteStatus::CannotCreate
                                                        : WriteStatus::WriteFailed;
    }
    return WriteStatus::Ok;
}

}  // namespace tolvex::qt
