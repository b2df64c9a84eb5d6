#pragma once

namespace Stimora {

/// The program's entry: records the arguments, sets the normal priority class, runs startUp
/// and then the main routine, and shows whatever escapes them in one notification box.
/// Always returns 0 (the exit code of a program that ended, even on a reported failure).
int runEntryPoint(int argc, char** argv, void (*mainRoutine)());

} // namespace Stimora
