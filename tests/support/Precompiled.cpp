// The object that carries the headers the test programs precompile once and share.
