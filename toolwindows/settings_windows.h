// The four settings windows of the menu bar: General (View > Settings), Movie Player (Movie >
// Settings), Stereoscopic (Stereoscopy > Settings) and Tracker (Tracker > Settings). Each opens its
// property window of the main window and fills its rows the first time; later calls only bring the
// window back. Each returns the result of CTQDialog::Show.
#pragma once

class CTQDialog;

int OpenGeneralSettings(CTQDialog* dialog);
int OpenMoviePlayerSettings(CTQDialog* dialog);
int OpenStereoscopicSettings(CTQDialog* dialog);
int OpenTrackerSettings(CTQDialog* dialog);
