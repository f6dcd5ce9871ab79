"""A TCP proxy in front of an FTP server on 127.0.0.1 that delays every byte, both ways, by a fixed
time: a link with a round-trip time of twice that delay, and no bandwidth limit.

Passive data connections go through it too: a 227 or 229 reply of the server is rewritten to name a
port of the proxy's own, which carries the one data connection that follows to the server's port.
Active mode (PORT, EPRT) is not carried.

With --cut-every N, every Nth data connection carries its first piece and is then cut at both
ends, as a link that drops does.

usage: latency_proxy.py --server-port PORT [--delay-ms 20] [--cut-every N]
Prints the proxy's port as the first line of standard output, then runs until it is killed or its
parent process ends.
"""
import argparse
import asyncio
import os
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "servers"))
from parent_death import die_with_parent  # noqa: E402

HOST = "127.0.0.1"
PASV_227 = re.compile(rb"^227 .*?(\d+),(\d+),(\d+),(\d+),(\d+),(\d+)")
EPSV_229 = re.compile(rb"^229 .*?\(\|\|\|(\d+)\|\)")


async def carry(reader, writer, delay, rewrite=None):
    """Copies reader to writer, each piece (and the end of the stream) delivered `delay` seconds
    after it arrived. `rewrite`, when given, receives whole lines and returns what to send."""
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:
                try:
                    if writer.can_write_eof():
                        writer.write_eof()
                    await writer.drain()
                except (ConnectionError, OSError):
                    pass
                return
            try:
                writer.write(data)
                await writer.drain()
            except (ConnectionError, OSError):
                return

    sender = asyncio.ensure_future(deliver())
    pending = b""
    try:
        while True:
            data = await reader.read(65536)
            arrived = time.monotonic()
            if not data:
                break
            if rewrite is not None:
                pending += data
                lines = pending.split(b"\n")
                pending = lines.pop()
                data = b"".join([await rewrite(line + b"\n") for line in lines])
                if not data:
                    continue
            queue.put_nowait((arrived + delay, data))
    except (ConnectionError, OSError):
        pass
    if pending:
        queue.put_nowait((time.monotonic() + delay, pending))
    queue.put_nowait((time.monotonic() + delay, None))
    await sender


async def bridge(client_reader, client_writer, server_port, delay, rewrite=None):
    try:
        server_reader, server_writer = await asyncio.open_connection(HOST, server_port)
    except OSError:
        client_writer.close()
        return
    await asyncio.gather(carry(client_reader, server_writer, delay),
                         carry(server_reader, client_writer, delay, rewrite))
    for w in (client_writer, server_writer):
        try:
            w.close()
        except OSError:
            pass


DATA = {"cut_every": 0, "count": 0}


async def cut(client_reader, client_writer, server_port, delay):
    """A data connection that drops: its first piece (an upload's) reaches the server, then both
    ends are reset."""
    try:
        server_reader, server_writer = await asyncio.open_connection(HOST, server_port)
    except OSError:
        client_writer.transport.abort()
        return
    try:
        data = await asyncio.wait_for(client_reader.read(4096), timeout=4 * delay + 0.05)
        await asyncio.sleep(delay)
        server_writer.write(data)
        await server_writer.drain()
    except (asyncio.TimeoutError, ConnectionError, OSError):
        pass
    client_writer.transport.abort()
    server_writer.transport.abort()


async def data_listener(server_port, delay):
    """Opens a port of ours for one data connection to server_port; returns our port."""
    async def accepted(reader, writer):
        listener.close()
        DATA["count"] += 1
        if DATA["cut_every"] and DATA["count"] % DATA["cut_every"] == 0:
            await cut(reader, writer, server_port, delay)
        else:
            await bridge(reader, writer, server_port, delay)

    listener = await asyncio.start_server(accepted, HOST, 0)
    return listener.sockets[0].getsockname()[1]


def make_rewrite(delay):
    async def rewrite(line):
        match = PASV_227.match(line)
        if match:
            port = int(match.group(5)) * 256 + int(match.group(6))
            ours = await data_listener(port, delay)
            return b"227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (ours // 256, ours % 256)
        match = EPSV_229.match(line)
        if match:
            ours = await data_listener(int(match.group(1)), delay)
            return b"229 Entering Extended Passive Mode (|||%d|)\r\n" % ours
        return line
    return rewrite


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server-port", type=int, required=True)
    parser.add_argument("--delay-ms", type=float, default=20.0)
    parser.add_argument("--cut-every", type=int, default=0)
    args = parser.parse_args()
    die_with_parent()  # a proxy left running would keep its port after the benchmark's end
    DATA["cut_every"] = args.cut_every
    delay = args.delay_ms / 1000.0
    rewrite = make_rewrite(delay)

    async def control(reader, writer):
        await bridge(reader, writer, args.server_port, delay, rewrite)

    server = await asyncio.start_server(control, HOST, 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
