REM build script
set OUT=build
set CFLAGS=/O2 /W4
mkdir %OUT%
cl %CFLAGS% main.c util.c
copy main.exe %OUT%
REM done
