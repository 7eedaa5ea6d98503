#pragma once

#include <string>

#include "base/status.h"
#include "device/frame_decoder.h"
#include "device/product_names.h"

// Feeds every byte of a capture file (raw detector bytes, such as "data.txt")
// to the decoder as a replay: one chunk, decoded apart from the live stream, so
// bytes arriving from the port meanwhile wait and no frame of either is mixed
// with the other. Failed, with the reason, when the file cannot be opened or
// read, or is larger than 64 MiB; nothing is fed then.
Status ReplayCaptureFile(const std::string& path, FrameDecoder& decoder, ProductNames& names);
