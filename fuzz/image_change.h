// The check that an exchange changed the memory image only where the
// record of an applied write says, on snapshots of the image before and after.
#pragma once

#include <cstdint>
#include <string>

#include "core/image_snapshot.h"
#include "core/plc_image.h"

struct RequestRecord;

// Empty when after is before with exactly the record's changes applied:
// the cells it names hold the values it lists, the status byte it lists
// sets RUN/STOP and the battery, and nothing else differs (the directory
// and the bases never change). write is the record of the applied write,
// null when the exchange applied none. Otherwise, what differs.
std::string ExplainImageChange(const ImageSnapshot& before, const ImageSnapshot& after,
                               const RequestRecord* write);

// True when the record's text is that of a write ("Block Write (...)").
bool IsWriteRecord(const RequestRecord& record);
