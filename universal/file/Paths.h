#pragma once

// Path tokens: experiments name their files relative to the program, the user's home,
// settings and documents folders, so the same program runs wherever it is installed.
//
//   "%APP%"                  folder of the executable
//   "%RESOURCES%"            "%APP%" + "Resources/"
//   "%USER_HOME%"            the user's home folder
//   "%USER_SETTING%"         the user's configuration folder + settings folder [+ experiment]
//   "%USER_DOCUMENTS%"       "%USER_DOCUMENTS_ROOT%" + settings folder [+ experiment]
//   "%USER_DOCUMENTS_ROOT%"  the user's documents folder
//   "%TIME_"                 local time stamp, YYYYMMDD_HHMMSS
//   "%EXPNAME_"              the current experiment name
//
// Every directory value ends with '/', so a token is written directly before a file name.

#include <string>

namespace Stimora {

/// Start-up step: fills the six directory tokens from the host. Raises
/// Exception(File, "", "Failed to get user home path.") when no home folder can be found.
void initializePaths();

/// The expanded form of path: separators normalised to '/', the characters ; , : * ? " < > |
/// removed, then the first occurrence of each directory token replaced by its value, every
/// "%TIME_" by the local time stamp and every "%EXPNAME_" by the experiment name. Never fails.
std::string expandPath(const std::string& path);
/// The same for a zero-terminated string; null is taken as empty.
std::string expandPath(const char* path);

/// The value of one of the six directory tokens ("%APP%" ...); empty for an unknown token
/// or before start-up.
std::string pathTokenValue(const std::string& token);

/// Name of the framework's folder in the user's settings and documents folders: "Stimora".
const std::string& settingsFolderName();
/// Replaces the settings folder name; the experiment name is then no longer appended.
void setSettingsFolderName(const std::string& name);

/// The current experiment's name (empty at start-up); written by a procedure's takeName().
const std::string& currentExperimentName();
/// Sets the current experiment's name.
void setCurrentExperimentName(const std::string& name);

} // namespace Stimora
