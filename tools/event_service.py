#!/usr/bin/env python3
"""A local event service for trying the web update and the alert feed by hand.

    tools/event_service.py [--port 8080] CSV...

It prints "PORT <n>" first (with --port 0, the free port it took).

Each CSV is in the service's own format (a "time,latitude,longitude,..."
header, then one event a line, as tools/sources/usgs-comcat-*.csv are).

  /fdsnws/event/1/query?format=csv&minmagnitude=M&starttime=D&endtime=D
      the header, then every event of the files with a magnitude of at least
      M and a time from the start of day D up to the start of day D
      (exclusive), in time order: what the web update asks for, 30 days a time
  /feed.csv
      the header and the events of the last 24 hours: a feed for
      ALERT USGS EVENTS URL

The files are read again at every request, so an event added to one (with a
time of a few minutes ago) is seen at the next poll.
"""
import argparse
import datetime
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

HEADER = ("time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated,"
          "place,type,horizontalError,depthError,magError,magNst,status,locationSource,magSource")


def events(files):
    """(time, magnitude, line) of every event line of the files."""
    for name in files:
        with open(name, encoding="utf-8", newline="") as f:
            for line in f:
                line = line.rstrip("\r\n")
                if not line or line.lower().startswith("time,"):
                    continue
                fields = line.split(",", 5)
                try:
                    when = datetime.datetime.fromisoformat(fields[0].replace("Z", "+00:00"))
                    mag = float(fields[4]) if fields[4] else 0.0
                except (ValueError, IndexError):
                    continue
                yield when, mag, line


def day(text):
    return datetime.datetime.fromisoformat(text[:10]).replace(tzinfo=datetime.timezone.utc)


class Handler(BaseHTTPRequestHandler):
    def do_GET(self):
        url = urlsplit(self.path)
        query = {k: v[0] for k, v in parse_qs(url.query).items()}
        now = datetime.datetime.now(datetime.timezone.utc)
        try:
            if url.path == "/fdsnws/event/1/query":
                start, end = day(query["starttime"]), day(query["endtime"])
                least = float(query.get("minmagnitude", "0"))
            elif url.path == "/feed.csv":
                start, end, least = now - datetime.timedelta(hours=24), now, 0.0
            else:
                self.answer(404, "Not found: " + url.path + "\n")
                return
        except (KeyError, ValueError) as e:
            self.answer(400, "Bad request: " + str(e) + "\n")
            return
        chosen = sorted((t, l) for t, m, l in events(self.server.files) if start <= t < end and m >= least)
        self.answer(200, "".join(l + "\n" for _, l in chosen), HEADER + "\n")

    def answer(self, status, body, header=""):
        data = (header + body).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/csv" if status == 200 else "text/plain")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("csv", nargs="+")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.files = args.csv
    port = server.server_address[1]
    print(f"PORT {port}", flush=True)
    print(f"event service on http://127.0.0.1:{port}/", file=sys.stderr)
    server.serve_forever()


if __name__ == "__main__":
    main()
