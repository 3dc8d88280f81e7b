// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The memory and processor time of this process, as the system counts them (Linux).

// Resident size now, and its peak since the start or the last ResetPeakResident, in MiB.
double ResidentMiB();
double PeakResidentMiB();
// Starts a new peak from the present resident size.
void ResetPeakResident();
// Hands the memory that was freed back to the system, so that the resident size counts what
// is in use.
void ReturnFreedMemory();
// Processor time of every thread of the process so far, user and system, in milliseconds.
double ProcessorMilliseconds();
