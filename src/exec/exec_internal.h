// Shared between the statement files of the execution subsystem only.
#pragma once

namespace ulvane {

void execute_if();
void execute_while();

}  // namespace ulvane
