#!/usr/bin/env python3
"""Lists the scripts of a movie: every DoAction, DoInitAction, clip event and button action, decoded.

    scripts/swfdis.py MOVIE.swf

A developer's tool for reading what a movie made by another tool runs. Each action is printed with
its byte offset; pushes show their values (constants resolved), jumps their destinations.
"""
import lzma, struct, sys, zlib

NAMES = {
    0x00: 'End', 0x04: 'NextFrame', 0x05: 'PrevFrame', 0x06: 'Play', 0x07: 'Stop', 0x08: 'ToggleQuality',
    0x09: 'StopSounds', 0x0A: 'Add', 0x0B: 'Subtract', 0x0C: 'Multiply', 0x0D: 'Divide', 0x0E: 'Equals',
    0x0F: 'Less', 0x10: 'And', 0x11: 'Or', 0x12: 'Not', 0x13: 'StringEquals', 0x14: 'StringLength',
    0x15: 'StringExtract', 0x17: 'Pop', 0x18: 'ToInteger', 0x1C: 'GetVariable', 0x1D: 'SetVariable',
    0x20: 'SetTarget2', 0x21: 'StringAdd', 0x22: 'GetProperty', 0x23: 'SetProperty', 0x24: 'CloneSprite',
    0x25: 'RemoveSprite', 0x26: 'Trace', 0x27: 'StartDrag', 0x28: 'EndDrag', 0x29: 'StringLess',
    0x2A: 'Throw', 0x2B: 'CastOp', 0x2C: 'ImplementsOp', 0x30: 'RandomNumber', 0x31: 'MBStringLength',
    0x32: 'CharToAscii', 0x33: 'AsciiToChar', 0x34: 'GetTime', 0x35: 'MBStringExtract',
    0x36: 'MBCharToAscii', 0x37: 'MBAsciiToChar', 0x3A: 'Delete', 0x3B: 'Delete2', 0x3C: 'DefineLocal',
    0x3D: 'CallFunction', 0x3E: 'Return', 0x3F: 'Modulo', 0x40: 'NewObject', 0x41: 'DefineLocal2',
    0x42: 'InitArray', 0x43: 'InitObject', 0x44: 'TypeOf', 0x45: 'TargetPath', 0x46: 'Enumerate',
    0x47: 'Add2', 0x48: 'Less2', 0x49: 'Equals2', 0x4A: 'ToNumber', 0x4B: 'ToString', 0x4C: 'PushDuplicate',
    0x4D: 'StackSwap', 0x4E: 'GetMember', 0x4F: 'SetMember', 0x50: 'Increment', 0x51: 'Decrement',
    0x52: 'CallMethod', 0x53: 'NewMethod', 0x54: 'InstanceOf', 0x55: 'Enumerate2', 0x60: 'BitAnd',
    0x61: 'BitOr', 0x62: 'BitXor', 0x63: 'BitLShift', 0x64: 'BitRShift', 0x65: 'BitURShift',
    0x66: 'StrictEquals', 0x67: 'Greater', 0x68: 'StringGreater', 0x69: 'Extends', 0x81: 'GotoFrame',
    0x83: 'GetURL', 0x87: 'StoreRegister', 0x88: 'ConstantPool', 0x8A: 'WaitForFrame', 0x8B: 'SetTarget',
    0x8C: 'GotoLabel', 0x8D: 'WaitForFrame2', 0x8E: 'DefineFunction2', 0x8F: 'Try', 0x94: 'With',
    0x96: 'Push', 0x99: 'Jump', 0x9A: 'GetURL2', 0x9B: 'DefineFunction', 0x9D: 'If', 0x9E: 'Call',
    0x9F: 'GotoFrame2',
}


def cstr(b, p):
    e = b.find(b'\0', p)
    if e < 0:
        e = len(b)
    return b[p:e].decode('utf-8', 'replace'), e + 1


def actions(b, indent='  '):
    out, p, pool = [], 0, []
    while p < len(b):
        off, code = p, b[p]
        p += 1
        payload = b''
        if code >= 0x80:
            if p + 2 > len(b):
                out.append('%s%5d  <truncated>' % (indent, off))
                break
            n = struct.unpack_from('<H', b, p)[0]
            p += 2
            payload = b[p:p + n]
            p += n
        name = NAMES.get(code, '0x%02X' % code)
        arg = ''
        try:
            if code == 0x96:
                items, q = [], 0
                while q < len(payload):
                    t = payload[q]
                    q += 1
                    if t == 0:
                        s, q = cstr(payload, q)
                        items.append(repr(s))
                    elif t == 1:
                        items.append('%gf' % struct.unpack_from('<f', payload, q)[0]); q += 4
                    elif t == 2:
                        items.append('null')
                    elif t == 3:
                        items.append('undefined')
                    elif t == 4:
                        items.append('r%d' % payload[q]); q += 1
                    elif t == 5:
                        items.append('true' if payload[q] else 'false'); q += 1
                    elif t == 6:
                        d = payload[q + 4:q + 8] + payload[q:q + 4]
                        items.append(repr(struct.unpack('<d', d)[0])); q += 8
                    elif t == 7:
                        items.append(str(struct.unpack_from('<i', payload, q)[0])); q += 4
                    elif t in (8, 9):
                        i = payload[q] if t == 8 else struct.unpack_from('<H', payload, q)[0]
                        q += 1 if t == 8 else 2
                        items.append('c%d:%r' % (i, pool[i] if i < len(pool) else '?'))
                    else:
                        items.append('?type%d' % t); break
                arg = ', '.join(items)
            elif code == 0x88:
                n = struct.unpack_from('<H', payload, 0)[0]
                q, pool = 2, []
                for _ in range(n):
                    s, q = cstr(payload, q)
                    pool.append(s)
                arg = ' '.join('%d:%r' % (i, s) for i, s in enumerate(pool))
            elif code in (0x99, 0x9D):
                d = struct.unpack_from('<h', payload, 0)[0]
                arg = '-> %d' % (p + d)
            elif code == 0x9B:
                fname, q = cstr(payload, 0)
                n = struct.unpack_from('<H', payload, q)[0]; q += 2
                params = []
                for _ in range(n):
                    s, q = cstr(payload, q)
                    params.append(s)
                size = struct.unpack_from('<H', payload, q)[0]
                arg = '%s(%s) body %d..%d' % (fname, ', '.join(params), p, p + size)
            elif code == 0x8E:
                fname, q = cstr(payload, 0)
                n, regs, flags = struct.unpack_from('<HBH', payload, q); q += 5
                params = []
                for _ in range(n):
                    r = payload[q]; q += 1
                    s, q = cstr(payload, q)
                    params.append('r%d:%s' % (r, s) if r else s)
                size = struct.unpack_from('<H', payload, q)[0]
                arg = '%s(%s) regs %d flags 0x%x body %d..%d' % (fname, ', '.join(params), regs, flags, p, p + size)
            elif code == 0x94:
                arg = 'body %d..%d' % (p, p + struct.unpack_from('<H', payload, 0)[0])
            elif code == 0x8F:
                flags = payload[0]
                t, c, f = struct.unpack_from('<HHH', payload, 1)
                if flags & 4:
                    what = 'r%d' % payload[7]
                else:
                    what, _ = cstr(payload, 7)
                arg = 'try %d..%d catch(%s) ..%d finally ..%d flags %d' % (p, p + t, what, p + t + c, p + t + c + f, flags)
            elif code == 0x83:
                u, q = cstr(payload, 0)
                t, _ = cstr(payload, q)
                arg = '%r %r' % (u, t)
            elif code in (0x8B, 0x8C):
                arg = repr(cstr(payload, 0)[0])
            elif code == 0x81:
                arg = str(struct.unpack_from('<H', payload, 0)[0])
            elif code == 0x87:
                arg = 'r%d' % payload[0]
            elif code in (0x9A, 0x9F, 0x8D):
                arg = ' '.join('%d' % x for x in payload)
            elif code == 0x8A:
                arg = '%d skip %d' % (struct.unpack_from('<H', payload, 0)[0], payload[2])
        except (struct.error, IndexError):
            arg = '<malformed %s>' % payload.hex()
        out.append('%s%5d  %s %s' % (indent, off, name, arg))
        if code == 0:
            break
    return out


class Bits:
    def __init__(self, b, p):
        self.b, self.p, self.bit = b, p, 0

    def ub(self, n):
        v = 0
        for _ in range(n):
            byte = self.b[self.p]
            v = (v << 1) | ((byte >> (7 - self.bit)) & 1)
            self.bit += 1
            if self.bit == 8:
                self.bit, self.p = 0, self.p + 1
        return v

    def align(self):
        if self.bit:
            self.bit, self.p = 0, self.p + 1


def skip_rect(b, p):
    r = Bits(b, p)
    n = r.ub(5)
    r.ub(n * 4)
    r.align()
    return r.p


def skip_matrix(b, p):
    r = Bits(b, p)
    if r.ub(1):
        n = r.ub(5); r.ub(2 * n)
    if r.ub(1):
        n = r.ub(5); r.ub(2 * n)
    n = r.ub(5); r.ub(2 * n)
    r.align()
    return r.p


def skip_cxform(b, p):
    r = Bits(b, p)
    add, mul = r.ub(1), r.ub(1)
    n = r.ub(4)
    r.ub(n * 4 * (add + mul))
    r.align()
    return r.p


def place_events(body, code, version, where):
    flags = body[0]
    p = 3
    if code == 70:
        flags2 = body[1]
        p = 4
    else:
        flags2 = 0
    p = 1 + (1 if code == 70 else 0) + 2
    if flags & 2:
        p += 2
    if code == 70 and (flags2 & 8 or flags2 & 16 and flags & 2):
        s, p = cstr(body, p)
    if flags & 4:
        p = skip_matrix(body, p)
    if flags & 8:
        p = skip_cxform(body, p)
    if flags & 16:
        p += 2
    name = ''
    if flags & 32:
        name, p = cstr(body, p)
    if flags & 64:
        p += 2
    if code == 70:
        if flags2 & 1:
            n = body[p]; p += 1 + n
        if flags2 & 2:
            p += 1
        if flags2 & 4:
            p += 1
    if not flags & 128:
        return
    wide = version >= 6
    p += 2 + (4 if wide else 2)
    while p < len(body):
        ev = int.from_bytes(body[p:p + (4 if wide else 2)], 'little')
        p += 4 if wide else 2
        if ev == 0:
            break
        n = struct.unpack_from('<I', body, p)[0]; p += 4
        key = ''
        if ev & 0x20000:
            key = ' key %d' % body[p]
            p += 1; n -= 1
        print('%s place %r on events 0x%x%s:' % (where, name, ev, key))
        print('\n'.join(actions(body[p:p + n], '    ')))
        p += n


def tags(b, p, end, version, where):
    frame = 1
    while p + 2 <= end:
        hdr = struct.unpack_from('<H', b, p)[0]
        p += 2
        code, n = hdr >> 6, hdr & 63
        if n == 63:
            n = struct.unpack_from('<I', b, p)[0]; p += 4
        body = b[p:p + n]
        p += n
        here = '%s frame %d' % (where, frame)
        if code == 0:
            break
        if code == 1:
            frame += 1
        elif code == 12:
            print('%s DoAction:' % here)
            print('\n'.join(actions(body)))
        elif code == 59:
            print('%s DoInitAction sprite %d:' % (here, struct.unpack_from('<H', body, 0)[0]))
            print('\n'.join(actions(body[2:])))
        elif code == 39:
            sid, frames = struct.unpack_from('<HH', body, 0)
            print('%s DefineSprite %d (%d frames)' % (here, sid, frames))
            tags(body, 4, len(body), version, '  sprite %d' % sid)
        elif code in (26, 70):
            try:
                place_events(body, code, version, here)
            except (struct.error, IndexError):
                print('%s place: malformed' % here)
        elif code == 34:
            bid = struct.unpack_from('<H', body, 0)[0]
            off = struct.unpack_from('<H', body, 3)[0]
            q = 3 + off if off else len(body)
            while off and q < len(body):
                size, cond = struct.unpack_from('<HH', body, q)
                print('%s button %d cond 0x%x:' % (here, bid, cond))
                seg = body[q + 4:q + size] if size else body[q + 4:]
                print('\n'.join(actions(seg, '    ')))
                if not size:
                    break
                q += size
        elif code == 56:
            cnt = struct.unpack_from('<H', body, 0)[0]
            q = 2
            for _ in range(cnt):
                cid = struct.unpack_from('<H', body, q)[0]
                s, q = cstr(body, q + 2)
                print('%s ExportAssets %d as %r' % (here, cid, s))
        elif code == 43:
            print('%s FrameLabel %r' % (here, cstr(body, 0)[0]))


def main():
    data = open(sys.argv[1], 'rb').read()
    sig, version, length = data[:3], data[3], struct.unpack_from('<I', data, 4)[0]
    if sig == b'CWS':
        data = data[:8] + zlib.decompressobj().decompress(data[8:])
    elif sig == b'ZWS':
        props = data[12:17]
        dec = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[lzma._decode_filter_properties(lzma.FILTER_LZMA1, props)])
        data = data[:8] + dec.decompress(data[17:])
    p = skip_rect(data, 8) + 4
    print('SWF %d, %d bytes' % (version, length))
    tags(data, p, len(data), version, 'root')


if __name__ == '__main__':
    main()
