#pragma once

// Blocks of a few megabytes and more get mappings of their own, which go back to the operating
// system when they are freed. The C library otherwise raises that bound as big blocks come and
// go and keeps their memory for later use: the index of a million-line comparison would then
// add some 60 MB to the peak of the grid fill that follows it. Call once at start.
void mapBigBlocksSeparately();
