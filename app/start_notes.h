// What the operator must know of the box file before the panel opens: what a save that did not
// finish left behind, and a private copy that the system kept for an older version of the panel.
#pragma once

void TellLeftBoxFiles();
