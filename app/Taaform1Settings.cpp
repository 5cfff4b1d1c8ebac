// The wizard's places for the settings kept between program runs and for the
// unattended run; the settings code fills them.

#include "app/Taaform1.h"

void Taaform1::LoadSettings() {}

void Taaform1::SaveSettings() {}

void Taaform1::startUnattended() {}
