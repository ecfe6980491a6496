#include "app/common/custom_notebook_panel.h"

// Out of line so that the class's virtual table lives in this library.
CustomNotebookPanel::~CustomNotebookPanel() = default;
