# Writes the smallest .xls seed (one compound file, one BIFF8 sheet) to stdout:
#   python3 fuzz/make_xls_seed.py > fuzz/corpus/workbook_xls/one_sheet.xls
import struct,sys
def rec(t,d): return struct.pack('<HH',t,len(d))+d
def bof(dt): return rec(0x0809, struct.pack('<HHHHII',0x0600,dt,0x0dbb,0x07cc,0,6))
glob = bof(5) + rec(0x0042, struct.pack('<H',1200))
xf = struct.pack('<HHHBBBBIIH',0,0,0xFFF5,0x20,0,0,0,0,0,0x20c0)
glob += b''.join(rec(0x00E0, xf) for _ in range(16))
sst = struct.pack('<II',2,2)
for s in [b'shared', b'text']:
    sst += struct.pack('<HB',len(s),0)+s
glob_tail = rec(0x00FC, sst) + rec(0x000A,b'')
name=b'Sheet1'
bs_len = 4+8+len(name)
sheet_off = len(glob) + bs_len + len(glob_tail)
glob += rec(0x0085, struct.pack('<IBBBB',sheet_off,0,0,len(name),0)+name) + glob_tail
sheet = bof(0x10) + rec(0x0200, struct.pack('<IIHHH',0,3,0,2,0))
sheet += rec(0x0203, struct.pack('<HHHd',0,0,15,1.5))
sheet += rec(0x00FD, struct.pack('<HHHI',0,1,15,0))
sheet += rec(0x00FD, struct.pack('<HHHI',2,1,15,1))
sheet += rec(0x0203, struct.pack('<HHHd',2,0,15,-7.25))
sheet += rec(0x000A,b'')
wb = glob + sheet
assert len(wb) <= 4096
wb += b'\0'*(4096-len(wb))
END=0xFFFFFFFE; FREE=0xFFFFFFFF; NOS=0xFFFFFFFF
hdr = bytes.fromhex('d0cf11e0a1b11ae1') + b'\0'*16 + struct.pack('<HHHHH',0x3E,3,0xFFFE,9,6) + b'\0'*6
hdr += struct.pack('<IIIIIIIII',0,1,1,0,4096,END,0,END,0)
hdr += struct.pack('<I',0) + struct.pack('<I',FREE)*108
assert len(hdr)==512
fat = [0xFFFFFFFD, END] + [3,4,5,6,7,8,9,END]
fat += [FREE]*(128-len(fat))
fat = struct.pack('<128I',*fat)
def dirent(name,typ,child,start,size):
    n = name.encode('utf-16-le')+b'\0\0' if name else b''
    e = n + b'\0'*(64-len(n)) + struct.pack('<HBB', len(n), typ, 1 if typ else 0)
    e += struct.pack('<III',NOS,NOS,child) + b'\0'*16 + struct.pack('<I',0) + b'\0'*16
    e += struct.pack('<III',start,size,0)
    assert len(e)==128
    return e
d = dirent('Root Entry',5,1,END,0) + dirent('Workbook',2,NOS,2,4096) + dirent('',0,NOS,FREE,0)*2
sys.stdout.buffer.write(hdr+fat+d+wb)
