#!/usr/bin/env python3
"""Fake recording servers for bench/zav_status.sh: N listeners on loopback
ports the kernel picks. Each connection's request is read whole, then the
stream header goes out and, every second, one 64-channel EventStream part whose
CurrentTime holds the send time in microseconds since the epoch.
Usage: zav_fake_servers.py COUNT PORT_FILE PART_FILE (runs until killed)."""
import asyncio
import sys
import time

CHANNEL = ("<ChannelStatusItem><Channel>{n}</Channel><StreamCount>2</StreamCount>"
           "<HighStreamConnection>1</HighStreamConnection><HighStreamVideoCodec>H.264</HighStreamVideoCodec>"
           "<HighStreamVideoResolution>1920x1080</HighStreamVideoResolution><HighStreamVideoBps>4096000</HighStreamVideoBps>"
           "<HighStreamVideoFps>30</HighStreamVideoFps><HighStreamFailureInformation></HighStreamFailureInformation>"
           "<LowStreamConnection>1</LowStreamConnection><LowStreamVideoCodec>H.264</LowStreamVideoCodec>"
           "<LowStreamVideoResolution>640x360</LowStreamVideoResolution><LowStreamVideoBps>512000</LowStreamVideoBps>"
           "<LowStreamVideoFps>15</LowStreamVideoFps><AudioCodec>G.711</AudioCodec><AudioBps>64000</AudioBps>"
           "<FirstRecordDate>2026-11-01</FirstRecordDate><FirstRecordTime>00:00:00</FirstRecordTime>"
           "<LastRecordDate>2026-12-11</LastRecordDate><LastRecordTime>08:00:00</LastRecordTime><Ping>1</Ping>"
           "</ChannelStatusItem>")


def part_body(stamp):
    channels = "".join(CHANNEL.format(n=n) for n in range(1, 65))
    return ("<?xml version=\"1.0\"?><EventStream><StartDate>2026-12-01</StartDate><StartTime>00:00:00</StartTime>"
            "<CurrentDate>2026-12-11</CurrentDate><CurrentTime>%d</CurrentTime><Status><TotalStatus>"
            "<Version>3.2.1</Version><CPU>35</CPU><TotalMemory>16384</TotalMemory><UsedMemory>8000</UsedMemory>"
            "<TotalCameraCount>64</TotalCameraCount></TotalStatus><ChannelStatus>%s</ChannelStatus></Status>"
            "<Record><TotalRecord><Channels>%s</Channels></TotalRecord><RecordStatus><Error>0</Error>"
            "<LoopCount>3</LoopCount></RecordStatus></Record><VideoLoss><TotalVideoLoss><HighStreamChannels>"
            "</HighStreamChannels><LowStreamChannels></LowStreamChannels></TotalVideoLoss></VideoLoss>"
            "</EventStream>" % (stamp, channels, ",".join(str(n) for n in range(1, 65)))).encode()


async def serve(reader, writer):
    try:
        head = await reader.readuntil(b"\r\n\r\n")
        length = 0
        for line in head.split(b"\r\n"):
            if line.lower().startswith(b"content-length:"):
                length = int(line.split(b":")[1])
        if length:
            await reader.readexactly(length)
        writer.write(b"HTTP/1.1 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=1234567890\r\n\r\n")
        while True:
            body = part_body(time.time_ns() // 1000)
            writer.write(b"--1234567890\r\nContent-Type: text/xml\r\nContent-Length: %d\r\n\r\n" % len(body) + body + b"\r\n")
            await writer.drain()
            await asyncio.sleep(1.0)
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        writer.close()


async def main():
    count, port_file, part_file = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    servers = [await asyncio.start_server(serve, "127.0.0.1", 0) for _ in range(count)]
    with open(part_file, "wb") as f:
        f.write(part_body(0))
    with open(port_file + ".tmp", "w") as f:
        for s in servers:
            f.write("%d\n" % s.sockets[0].getsockname()[1])
    import os
    os.rename(port_file + ".tmp", port_file)
    await asyncio.Event().wait()


asyncio.run(main())
