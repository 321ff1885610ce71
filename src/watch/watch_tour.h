#pragma once

// Adds the watch list's dialogs (search, limits) to the tour's pictures.
void RegisterWatchTourSteps();
