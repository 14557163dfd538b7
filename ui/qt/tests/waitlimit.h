// waitlimit.h - how long a wait of the Qt tests may take.
#pragma once

namespace tolvex::qt::test {

/// Milliseconds any wait may take: enough for a two-core machine whose cores are all busy with
/// other work. A wait whose condition holds returns at once.
constexpr int kWaitLimitMs = 60000;

}  // namespace tolvex::qt::test
