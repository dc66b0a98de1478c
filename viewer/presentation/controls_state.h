// Which of the main window's controls are enabled and shown, and what the detail labels say,
// as a function of the list and the combo selections. The window applies the result after
// every scan, list rebuild, selection change and filter change.
#pragma once

#include <optional>

namespace viewer {

struct ControlsState {
    bool deleteEnabled, saveAsEnabled, saveEnabled, saveAllEnabled, viewEnabled;
    bool siteComboEnabled, createdVisible;  // label 1025 and field 1010
    int labelIds[3];                        // string ids for labels 1022, 1024, 1023
    bool dateChooseEnabled, folderEnabled;  // 1021; 1019 and 1018
};

// source / dateKind: item data of the source and date combos' selections, empty when nothing
// is selected (no source counts as the Internet Explorer cache; no date kind enables no
// dialog).
ControlsState ComputeControlsState(int rowCount, int selectedCount, std::optional<int> source,
                                   std::optional<int> dateKind);

}  // namespace viewer
