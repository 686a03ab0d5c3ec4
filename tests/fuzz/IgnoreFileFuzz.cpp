// Ignore.txt as any editor or a damaged disk may leave it: read at start-up,
// every name it yields is ignored, and writing the list back and reading it
// again gives the same names.

#include "FuzzSupport.h"

#include "console/ChatOutput.h"
#include "console/IgnoreLists.h"
#include "zone/ProgramFolder.h"

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

    FakeOutputView view;
    FakeUserListView users;
    ChatOutput output(view, users, folder);
    IgnoreLists lists(output, folder);
    lists.LoadPermanent();
    const std::vector<std::string> names = lists.Permanent();
    for (const std::string& name : names) {
        FUZZ_CHECK(!name.empty());
        FUZZ_CHECK(name.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(lists.IsIgnored(name));
    }
    lists.ShowIgnoreLists(true, true);

    // Toggling the first name off and on rewrites the file as the list stands,
    // and the next start reads back the same names.
    if (!names.empty()) {
        lists.TogglePermIgnore(names.front());
        lists.TogglePermIgnore(names.front());
        IgnoreLists reread(output, folder);
        reread.LoadPermanent();
        FUZZ_CHECK(reread.Permanent() == lists.Permanent());
    }
    return 0;
}
