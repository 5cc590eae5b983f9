#pragma once

#include <QString>

// Where the program's own files are and where the user's data lives. A program installed into
// the system (bin/ beside share/roamlog/) may not write to its folder, so the user's data goes
// to the user's data folder; a program installed into one folder of its own (./run.sh, the
// Windows install, the build tree) keeps its data beside itself. ROAMLOG_HOME chooses another
// data folder in both cases.
struct ProgramFolders
{
    static constexpr char kHomeVariable[] = "ROAMLOG_HOME";
    static constexpr char kSharedFolderBelowPrefix[] = "share/roamlog";
    // The server's package has its own read-only files (the map data), beside the program's.
    static constexpr char kServerSharedFolderBelowPrefix[] = "share/roamlog-server";
    static constexpr char kDataFolderBelowUserData[] = "Fenwary/Roamlog";
    static constexpr char kDefaultPickListsFile[] = "combos.ini.default";

    QString shared; // help page, default pick lists, map data: read only
    QString data;   // Roamlog.ppd, Roamlog.bak, combos.ini: the user's

    // The folders of a program whose executable is in executableFolder, for a ROAMLOG_HOME of
    // homeOverride (empty: not set) and a user's data folder userDataHome; a system install
    // has its own files in sharedBelowPrefix.
    static ProgramFolders locate(const QString& executableFolder, const QString& homeOverride,
                                 const QString& userDataHome,
                                 const char* sharedBelowPrefix = kSharedFolderBelowPrefix);
    // The same, with ROAMLOG_HOME and the user's data folder of this process.
    static ProgramFolders forExecutable(const QString& executableFolder,
                                        const char* sharedBelowPrefix = kSharedFolderBelowPrefix);
    // Both in one folder, as a program of its own folder has them.
    static ProgramFolders single(const QString& folder) { return {folder, folder}; }

    // Makes the data folder at the first start and gives it the default pick lists when it has
    // none; a user's own files are never replaced. False when the folder cannot be made.
    bool prepareData() const;

    bool operator==(const ProgramFolders&) const = default;
};
