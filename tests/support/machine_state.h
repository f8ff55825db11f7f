// A snapshot of what this product can touch on the machine: the spooler
// (ports, drivers, printers, default printer), the product's registry
// locations, the install and driver folders and the Start menu. Two
// snapshots compare line by line, so a test can say exactly what changed.
#pragma once
#include <set>
#include <string>
#include <vector>

namespace machine_state {

// Each entry is one line such as "printer Orlan PDF Printer | driver | port".
using Snapshot = std::set<std::string>;

// installDirs: folders whose whole contents count (the install folders used).
Snapshot capture(const std::vector<std::string>& installDirs);

// Lines in a but not in b.
std::vector<std::string> minus(const Snapshot& a, const Snapshot& b);
std::string describe(const std::vector<std::string>& lines);

}  // namespace machine_state
