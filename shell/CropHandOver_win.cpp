// The shell's side of an accepted crop: the request for the save, the document flags, and what the frame
// shows afterwards.
#include "shell/CropHandOver.h"

#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/PictureLoad.h"
#include "shell/ShellWindows.h"

bool applyAcceptedCrop(const CropOutcome& outcome, bool cutFailed) {
    if (cutFailed) {
        showErrorMessage(TXT_ERROR_NO_DISPLAY_MEMORY);
        return false;
    }
    if (!outcome.cropPending) return false;
    appState.cropRequest = cropRequestFromRect(outcome.pendingCrop);
    appState.documentModified = true;
    appState.cropApplied = true;
    // The view reset also checks the crop button, which follows cropApplied.
    showNewPicture();
    refreshFrameTitle();
    return true;
}
