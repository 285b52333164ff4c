#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "engine/transaction/Journal.h"
#include "engine/system/Process.h"
#include "engine/system/RestartQueue.h"
#include "engine/transaction/StateBefore.h"
#include "engine/transaction/Transaction.h"
#include "engine/transaction/TransactionNames.h"
#include "tests/support/TestSupport.h"

namespace {

// The journal is read back only when it is whole and ours: a run killed
// while writing it had changed nothing yet, and its file must not be
// taken for a list of what to put back.
TEST(JournalTest, OnlyAWholeJournalOfOursIsTakenAtItsWord) {
    std::unique_ptr<Journal> journal(new Journal);
    StartJournal(*journal);
    EXPECT_TRUE(AddSavedPath(*journal, L"C:\\Program Files\\HBC71K", true, true));
    const DWORD whole = sizeof *journal;
    EXPECT_TRUE(IsWholeJournal(*journal, whole));
    EXPECT_FALSE(IsWholeJournal(*journal, whole - 1)) << "cut off";
    EXPECT_FALSE(IsWholeJournal(*journal, 0)) << "empty";
    journal->endMagic ^= 1;
    EXPECT_FALSE(IsWholeJournal(*journal, whole)) << "its end not written";
    journal->endMagic ^= 1;
    journal->pathCount = kJournalPathCount + 1;
    EXPECT_FALSE(IsWholeJournal(*journal, whole)) << "a count beyond its room";
    // It never takes more paths than it has room for.
    StartJournal(*journal);
    for (int i = 0; i < kJournalPathCount; ++i) ASSERT_TRUE(AddSavedPath(*journal, L"C:\\x", false, false));
    EXPECT_FALSE(AddSavedPath(*journal, L"C:\\x", false, false));
}

std::string Read(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return "<none>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Wherever a run stopped, putting back from the journal leaves the file as
// it was before the run, and nothing of ours beside it.
struct RestoreCase {
    const char* name;
    bool existed;        // the journal: the file was there before the run
    const char* target;  // what is at its name when the run stopped (null: nothing)
    const char* kept;    // the kept file (null: none)
    const char* copy;    // a new copy not yet moved in (null: none)
    const char* after;   // what the restore leaves at the name
};

const RestoreCase kRestoreCases[] = {
    {"replaced", true, "new", "old", nullptr, "old"},
    {"not reached yet", true, "old", nullptr, nullptr, "old"},
    {"its new copy half-written", true, "old", nullptr, "ne", "old"},
    {"stopped between the two renames", true, nullptr, "old", "new", "old"},
    {"added by the run", false, "new", nullptr, nullptr, "<none>"},
    {"its first copy half-written", false, nullptr, nullptr, "ne", "<none>"},
};

TEST(TransactionTest, RollBackPutsEachFileBackWhereverTheRunStopped) {
    test::ScratchDir dir;
    for (const RestoreCase& c : kRestoreCases) {
        SCOPED_TRACE(c.name);
        const std::wstring file = dir / L"mingwm10.dll";
        if (c.target) test::WriteTextFile(file, c.target);
        if (c.kept) test::WriteTextFile(file + kKeptSuffix, c.kept);
        if (c.copy) test::WriteTextFile(file + kNewCopySuffix, c.copy);
        std::unique_ptr<Journal> journal(new Journal);
        StartJournal(*journal);
        AddSavedPath(*journal, file.c_str(), false, c.existed);
        SetupConfig config = {};
        CopyText(config.InstallDir, kPathChars, dir.Path().c_str());
        RollBackInstall(config, *journal, false);
        EXPECT_EQ(c.after, Read(file));
        EXPECT_FALSE(test::FileExists(file + kKeptSuffix));
        EXPECT_FALSE(test::FileExists(file + kNewCopySuffix));
        ::DeleteFileW(file.c_str());
    }
}

TEST(TransactionTest, PlacedFilesStayAfterTheCommitAndTheKeptOnesGo) {
    test::ScratchDir dir;
    const std::wstring source = dir / L"source", target = dir / L"target";
    test::WriteTextFile(source, "new");
    test::WriteTextFile(target, "old");
    std::unique_ptr<Journal> owned(new Journal);
    Journal& journal = *owned;
    StartJournal(journal);
    AddSavedPath(journal, target.c_str(), false, true);
    ASSERT_TRUE(WriteJournal(dir.Path().c_str(), journal));
    ASSERT_EQ(Placement::InPlace, PlaceFile(source.c_str(), target.c_str()));
    EXPECT_EQ("old", Read(target + kKeptSuffix));
    EXPECT_TRUE(HadInstallation(journal));
    CommitInstall(dir.Path().c_str(), journal);
    EXPECT_EQ("new", Read(target));
    EXPECT_FALSE(test::FileExists(target + kKeptSuffix));
    EXPECT_FALSE(test::FileExists(dir / L"avsetup.journal"));
    // A source that cannot be read leaves the target as it was.
    EXPECT_EQ(Placement::Failed, PlaceFile((dir / L"missing").c_str(), target.c_str()));
    EXPECT_EQ("new", Read(target));
    EXPECT_FALSE(test::FileExists(target + kNewCopySuffix));
}

// The restart queue loses exactly the operations on the installation
// folder and what is in it; another program's stay, in their order.
TEST(RestartQueueTest, CancellingTakesOutOnlyOursInTheFolder) {
    struct Case {
        const char* name;
        std::wstring before, after;
    };
    const std::wstring ours = L"\\??\\C:\\Program Files\\Arrayvane";
    const Case cases[] = {
        {"a replacement and a deletion of ours",
         ours + L"\\a.dll.avsetup-new|!" + ours + L"\\a.dll|" + ours + L"\\b.exe||", L""},
        {"the folder itself", ours + L"||", L""},
        {"another program's around ours",
         L"\\??\\C:\\x.tmp||" + ours + L"\\a.dll||\\??\\C:\\y.new|!\\??\\C:\\y|",
         L"\\??\\C:\\x.tmp||\\??\\C:\\y.new|!\\??\\C:\\y|"},
        {"a folder whose name only begins like ours", ours + L"2\\a.dll||", ours + L"2\\a.dll||"},
        {"a target in our folder, the source elsewhere", L"\\??\\C:\\t.new|!" + ours + L"\\a.dll|",
         L"\\??\\C:\\t.new|!" + ours + L"\\a.dll|"},
        {"in other letters", L"\\??\\c:\\PROGRAM FILES\\arrayvane\\A.DLL||", L""},
        {"a source cut off without its target", ours + L"\\a.dll", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each string ends with '|' (a NUL); one more ends the list.
        std::wstring operations = c.before + L'|';
        for (wchar_t& ch : operations) {
            if (ch == L'|') ch = L'\0';
        }
        const DWORD left = DropOperationsIn(&operations[0], static_cast<DWORD>(operations.size()),
                                            L"C:\\Program Files\\Arrayvane");
        std::wstring after = operations.substr(0, left - 1);
        for (wchar_t& ch : after) {
            if (ch == L'\0') ch = L'|';
        }
        EXPECT_EQ(c.after, after);
    }
}

// Only what another program's hold explains waits for the restart: a
// denied file that is still read-only (its attribute could not be
// cleared) or a folder is a failure, never a 3010.
TEST(RestartQueueTest, OnlyAFileAnotherProgramHoldsCountsAsHeld) {
    test::ScratchDir dir;
    const std::wstring plain = dir / L"plain.dll", readOnly = dir / L"read-only.dll", folder = dir / L"folder";
    const std::wstring gone = dir / L"gone.dll";
    test::WriteTextFile(plain, "x");
    test::WriteTextFile(readOnly, "x");
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const struct {
        const std::wstring& path;
        DWORD error;
        bool held;
    } cases[] = {
        {plain, ERROR_SHARING_VIOLATION, true}, {plain, ERROR_LOCK_VIOLATION, true},
        {plain, ERROR_USER_MAPPED_FILE, true},  {plain, ERROR_ACCESS_DENIED, true},
        {readOnly, ERROR_ACCESS_DENIED, false}, {folder, ERROR_ACCESS_DENIED, false},
        {gone, ERROR_ACCESS_DENIED, false},     {plain, ERROR_DISK_FULL, false},
        {plain, ERROR_WRITE_PROTECT, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.held, IsHeldFileError(c.path.c_str(), c.error)) << test::Narrow(c.path) << " " << c.error;
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
