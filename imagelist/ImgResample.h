// Forwarding header: the resampling moved to graphics/Resample.h beside the
// bitmap. Kept only for the list view's painting, which includes it by this
// name; remove once that file includes graphics/Resample.h.
#pragma once

#include "graphics/Resample.h"
