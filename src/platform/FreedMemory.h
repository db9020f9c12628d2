#pragma once

// Hands memory that the program has freed back to the operating system. The C library keeps
// freed blocks for later use; after the index of a million-line comparison they would add
// some 60 MB to the peak of the grid fill that follows it.
void releaseFreedMemory();
