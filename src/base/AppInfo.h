#pragma once

// Names and numbers that identify the program to the user, the settings store and a second copy.
namespace AppInfo {
inline constexpr char Version[] = "00.24.35";
inline constexpr char OrganizationName[] = "Kestrelmoor Software";
inline constexpr char ApplicationName[] = "qvasmide";
inline constexpr char DisplayName[] = "QVASMIDE";
// Object name of the main window and base name of the single-instance server.
inline constexpr char WindowClassName[] = "CQvasmApp";
// The program's icon among the embedded resources: every window of the program shows it.
inline constexpr char IconPath[] = ":/icons/qvasmide.svg";
} // namespace AppInfo
