#pragma once

namespace pairsift::SettingsKey {

// The keys of the program's settings, for the facade and the few places that bind a key directly.
inline constexpr char SortKey[] = "sort_key";
inline constexpr char SortAscending[] = "sort_ascending";
inline constexpr char IgnoreSmallFiles[] = "ignore_small_files";
inline constexpr char SmallFileSize[] = "small_file_size";
inline constexpr char Logging[] = "logging";
inline constexpr char ConfirmDeleteLocation[] = "confirm_delete_location";
inline constexpr char PreferFiles[] = "prefer_files";
inline constexpr char Filters[] = "filters";
inline constexpr char SmallFileSizeUnit[] = "small_file_size_unit";
inline constexpr char Locations[] = "locations";
inline constexpr char RecentLocations[] = "recent_locations";
inline constexpr char Directories[] = "directories";
inline constexpr char Directory[] = "directory";
inline constexpr char FirstRunDate[] = "first_run_date";
// The updater's settings (UpdateCheckSettings) and the preferences window's frame.
inline constexpr char AutomaticallyCheckForUpdates[] = "automatically_check_for_updates";
inline constexpr char UpdateCheckInterval[] = "update_check_interval";
inline constexpr char PreferencesWindowFrame[] = "PairsiftPrefPanel";
// The main window's inside and its splitters' positions, kept from one run to the next.
inline constexpr char MainWindowFrame[] = "PairsiftMainWindow";
inline constexpr char MainWindowSplitters[] = "PairsiftMainWindowSplitters";

} // namespace pairsift::SettingsKey
