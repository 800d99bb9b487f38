// Marks the C entry points the stand-in libraries export; everything else stays hidden.
#pragma once

#define VNB_EXPORT extern "C" __attribute__((visibility("default")))
