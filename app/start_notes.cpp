#include "app/start_notes.h"

#include <string>

#include "profile/box_config.h"
#include "profile/file_store.h"
#include "toolkit/afxwin.h"

void TellLeftBoxFiles() {
    const std::string path = profile::ResolveProfilePath(profile::kBoxConfigFile);
    const std::vector<std::string> copies = profile::UnfinishedSaveCopies(profile::kBoxConfigFile);
    if (!copies.empty()) {
        std::string text = "A save of the box configuration to \"" + path +
                           "\" did not finish. The file as it was before that save is kept in:\n";
        for (const std::string& copy : copies) text += "\n" + copy;
        text +=
            "\n\nThe panel shows the file as it is now. If boxes are missing or wrong, close "
            "the panel and copy the kept file over it.";
        AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
    }
    if (const std::optional<std::string> store = profile::DifferingVirtualStoreCopy(path)) {
        const std::string text =
            "An older version of the panel saved the box configuration into a private copy for "
            "this user, \"" +
            *store + "\", which differs from the shared file \"" + path +
            "\".\n\nThe panel now reads and saves only the shared file, which the communication "
            "service and other users see. The private copy is no longer used; copy from it what "
            "is missing, then delete it.";
        AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
    }
}
