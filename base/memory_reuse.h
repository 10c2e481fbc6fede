#pragma once
// Keeps memory that a model run frees for the next run. A run takes and
// gives back megabytes (flows, checkpoints); returned to the system each
// time, every run would pay again for the same pages.
void KeepFreedMemoryForReuse();
