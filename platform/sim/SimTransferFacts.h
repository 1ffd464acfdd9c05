// The transfer service's lines of a machine folder's machine.txt (see SimMachineFolder.cpp):
//   bits-service = disabled                 creating the manager fails with 0x80070422
//                                           (or the code given, such as 0x80070002)
//   transfer-rate = 4194304                 bytes per second of virtual time
//   transfer-notifications = 0x1            the notifications delivered (BG_NOTIFY_* flags;
//                                           0x1 is what Wine delivers)
//   transfer-fails = http://host/a.msi|0x80190194|5   the error code and context of a source
//   transfer-job = {JOB-ID}|state|priority|retry delay|bytes transferred|bytes total|
//                  error code|error context|display name|remote url|local name
//                                           a job the service keeps (written back on save)
#pragma once

#include <string>

#include "platform/sim/SimTransfers.h"

namespace platform::sim {

// Applies one transfer key; false when the key is not one or its value is bad.
bool ApplyTransferFact(SimTransfers& transfers, const std::string& key, const std::string& value);

// The service's lines, its jobs brought up to the clock, in the format ApplyTransferFact reads.
std::string TransferFactsText(SimTransfers& transfers);

}  // namespace platform::sim
