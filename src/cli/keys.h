#pragma once
// The reference of every run-file table and key, generated from the dialog
// models' field descriptors so that it can never drift from the code.

#include <ostream>

namespace tessmar::cli {

void PrintKeys(std::ostream& out);

}  // namespace tessmar::cli
