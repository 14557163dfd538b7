// savefile.h - writes a whole file so that a failed write never costs the earlier file.
#pragma once

#include <QByteArrayView>
#include <QString>

#include "tolvex/ui/u_main.h"

namespace tolvex::qt {

/// Writes `bytes` as the whole content of the file `path`. The bytes go to a temporary file
/// in the same folder, which takes the file's place only once every byte is on disk; on any
/// failure the temporary file is removed and an earlier file of that name stays as it was.
/// An existing file that is read-only (nobody may write it, or this process may not) is
/// never replaced.
ui::WriteStatus WriteWholeFile(const QString& path, QByteArrayView bytes);

}  // namespace tolvex::qt
