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
    if (!file.open(QIODevice::WriteOnly)) {
        return WriteStatus::CannotCreate;
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();  // the destructor then removes the temporary file
        return WriteStatus::WriteFailed;
    }
    if (!file.commit()) {
        // The bytes were written (or failed to flush); only the final rename can fail on a
        // file that could not be replaced.
        return file.error() == QFileDevice::RenameError ? WriteStatus::CannotCreate
                                                        : WriteStatus::WriteFailed;
    }
    return WriteStatus::Ok;
}

}  // namespace tolvex::qt
