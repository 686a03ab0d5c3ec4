// Ignore.txt as any editor or a damaged disk may leave it: read at start-up,
// every name it yields is ignored, and writing the list back and reading it
// again gives the same names.

#include "FuzzSupport.h"

#include "console/ChatOutput.h"
#include "console/IgnoreLists.h"
#include "console/ProgramFolder.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzScratch& scratch = FuzzScratch::Get();
    scratch.EmptyProgramFolder();
    const ProgramFolder folder(scratch.ProgramFolder());
    WriteWholeFile(folder.PathOf("Ignore.txt"), std::string(reinterpret_cast<const char*>(data), size));

    const std::vector<std::string> names = folder.LoadIgnoreFile();
    for (const std::string& name : names) {
        FUZZ_CHECK(!name.empty());
        FUZZ_CHECK(name.find_first_of("\r\n") == std::string::npos);
    }

    FakeOutputView view;
    FakeUserListView users;
    ChatOutput output(view, users, folder.Path());
    IgnoreLists lists(output, folder);
    lists.LoadPermanent();
    FUZZ_CHECK(lists.Permanent() == names);
    for (const std::string& name : names)
        FUZZ_CHECK(lists.IsIgnored(name));
    lists.ShowIgnoreLists(true, true);

    folder.SaveIgnoreFile(names);
    FUZZ_CHECK(folder.LoadIgnoreFile() == names);

    // Toggling the first name off rewrites the file as the list now stands.
    if (!names.empty()) {
        lists.TogglePermIgnore(names.front());
        FUZZ_CHECK(folder.LoadIgnoreFile() == lists.Permanent());
    }
    return 0;
}
