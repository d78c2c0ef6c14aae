#!/usr/bin/python3
"""Loopback stand-in for the web file store (version-1 API) used by the tests.

Serves a folder tree over HTTPS on two listeners (API host and content host) on
127.0.0.1, checks the OAuth 1.0 HMAC-SHA1 signature of every request with oauthlib
and answers 401 to a bad one. Prints "API_PORT CONTENT_PORT" on its first stdout line.

Tests steer it with one JSON command per stdin line; each gets one JSON answer line:
  {"cmd": "set", ...}        change behaviour: fail401 (count), always401, drop_after
                             (bytes of the next file body before the connection is cut),
                             delay (seconds before the next answer), account_body (raw)
  {"cmd": "log"}             every request so far
  {"cmd": "clear_log"}
  {"cmd": "rev", "path": p, "rev": r}
  {"cmd": "delta", "pages": [{"for": cursor, "body": {...}}, ...]}
  {"cmd": "tokens"}          access tokens the server accepts
The server ends when stdin closes.
"""

import argparse
import hmac
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from oauthlib.oauth1.rfc5849 import signature

LOCK = threading.Lock()
STATE = {
    "fail401": 0,
    "always401": False,
    "drop_after": None,
    "delay": 0.0,
    "account_body": None,
    "log": [],
    "revs": {},
    "delta_pages": [],
    "tokens": {},
    "request_tokens": {},
    "issued": 0,
}
ARGS = None


def human_size(n):
    for unit in ("bytes", "KB", "MB", "GB"):
        if n < 1024 or unit == "GB":
            return f"{n} {unit}" if unit == "bytes" else f"{n:.1f} {unit}"
        n /= 1024.0
    return str(n)


def date_text(t):
    return time.strftime("%a, %d %b %Y %H:%M:%S +0000", time.gmtime(t))


def fs_path(rel):
    root = os.path.realpath(ARGS.root)
    full = os.path.realpath(os.path.join(root, rel.lstrip("/")))
    if full != root and not full.startswith(root + os.sep):
        return None
    return full


def metadata(rel, root_name):
    full = fs_path(rel)
    st = os.stat(full)
    is_dir = os.path.isdir(full)
    size = 0 if is_dir else st.st_size
    rev = STATE["revs"].get(rel)
    if rev is None:
        rev = "%x" % ((zlib.crc32(rel.encode()) & 0xFFFFFFF) | 0x10000000)
    m = {
        "size": human_size(size),
        "rev": rev,
        "thumb_exists": False,
        "bytes": size,
        "modified": date_text(st.st_mtime),
        "path": rel,
        "is_dir": is_dir,
        "icon": "folder" if is_dir else "page_white",
        "root": "app_folder" if root_name == "sandbox" else "dropbox",
    }
    if not is_dir:
        m["client_mtime"] = date_text(st.st_mtime)
    return m


def check_signature(method, host, raw_path, query, token_secret_for, with_token=True):
    """Returns (ok, token, reason)."""
    try:
        params = signature.collect_parameters(uri_query=query, exclude_oauth_signature=False)
    except ValueError as e:
        return False, None, f"bad query: {e}"
    names = [k for k, _ in params]
    if len(names) != len(set(names)):
        return False, None, "repeated parameter"
    d = dict(params)
    if d.get("oauth_consumer_key") != ARGS.consumer_key:
        return False, None, "unknown consumer key"
    if d.get("oauth_signature_method") != "HMAC-SHA1" or d.get("oauth_version") != "1.0":
        return False, None, "bad method or version"
    if not d.get("oauth_nonce"):
        return False, None, "no nonce"
    try:
        if abs(int(d.get("oauth_timestamp", "")) - time.time()) > 600:
            return False, None, "stale timestamp"
    except ValueError:
        return False, None, "bad timestamp"
    token = d.get("oauth_token")
    if with_token:
        secret = token_secret_for(token)
        if secret is None:
            return False, token, "unknown token"
    else:
        if token is not None:
            return False, token, "unexpected token"
        secret = ""
    rest = [(k, v) for k, v in params if k != "oauth_signature"]
    norm = signature.normalize_parameters(rest)
    uri = signature.base_string_uri(f"https://{host}{raw_path}")
    base = signature.signature_base_string(method, uri, norm)
    expected = signature.sign_hmac_sha1(base, ARGS.consumer_secret, secret)
    if not hmac.compare_digest(expected, d.get("oauth_signature", "")):
        return False, token, "signature mismatch"
    return True, token, ""


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def setup(self):
        self.request.do_handshake()
        super().setup()

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        self.handle_request("GET")

    def do_POST(self):
        self.handle_request("POST")

    def do_PUT(self):
        self.handle_request("PUT")

    # ---------------------------------------------------------------- plumbing

    def send_body(self, status, body, ctype="application/json", extra=None):
        if isinstance(body, (dict, list)):
            body = json.dumps(body).encode()
        elif isinstance(body, str):
            body = body.encode()
        self.entry["status"] = status
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Set-Cookie", "store_session=s1; Path=/")
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(body)

    def error(self, status, text):
        self.send_body(status, {"error": text})

    def handle_request(self, method):
        raw_path, _, query = self.path.partition("?")
        self.entry = {
            "listener": self.server.role,
            "method": method,
            "path": raw_path,
            "query": query,
            "content_type": self.headers.get("Content-Type", ""),
            "cookie": self.headers.get("Cookie", ""),
            "authorization": self.headers.get("Authorization") is not None,
            "body_len": 0,
            "sig_ok": None,
            "reason": "",
            "status": 0,
        }
        with LOCK:
            STATE["log"].append(self.entry)
            delay, STATE["delay"] = STATE["delay"], 0.0
        try:
            if delay:
                time.sleep(delay)
            self.dispatch(method, raw_path, query)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, OSError):
            self.close_connection = True

    def read_small_body(self):
        n = int(self.headers.get("Content-Length") or 0)
        data = self.rfile.read(n) if n else b""
        self.entry["body_len"] = len(data)
        return data

    def dispatch(self, method, raw_path, query):
        if raw_path.startswith("/_redirect/"):
            self.read_small_body()
            left = int(raw_path.rsplit("/", 1)[1])
            if left <= 0:
                return self.send_body(200, "arrived", "text/plain")
            return self.send_body(302, "", "text/plain",
                                  {"Location": f"/_redirect/{left - 1}"})

        host = self.headers.get("Host", "")
        params = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))

        if raw_path in ("/1/oauth/request_token", "/1/oauth/access_token"):
            self.read_small_body()
            return self.token_endpoint(method, host, raw_path, query, params)

        ok, token, reason = check_signature(method, host, raw_path, query,
                                            lambda t: STATE["tokens"].get(t))
        self.entry["sig_ok"] = ok
        self.entry["reason"] = reason
        if raw_path != "/1/files_put":
            self.read_small_body()
        with LOCK:
            forced = STATE["always401"] or STATE["fail401"] > 0
            if STATE["fail401"] > 0:
                STATE["fail401"] -= 1
        if not ok or forced:
            if raw_path == "/1/files_put":
                self.close_connection = True
            return self.error(401, "Unauthorized" if ok else reason)

        content = raw_path.startswith("/1/files/") or raw_path == "/1/files_put"
        if content != (self.server.role == "content"):
            return self.error(404, "not served on this host")

        if raw_path == "/1/account/info" and method == "GET":
            return self.account()
        if raw_path.startswith("/1/metadata/") and method == "GET":
            return self.list_metadata(raw_path[len("/1/metadata/"):])
        if raw_path.startswith("/1/files/") and method == "GET":
            return self.get_file(raw_path[len("/1/files/"):])
        if raw_path == "/1/files_put" and method == "PUT":
            return self.put_file(params)
        if raw_path.startswith("/1/fileops/") and method == "POST":
            return self.fileop(raw_path[len("/1/fileops/"):], params)
        if raw_path == "/1/delta" and method == "POST":
            return self.delta(params)
        return self.error(404, "no such endpoint")

    # ---------------------------------------------------------------- endpoints

    def token_endpoint(self, method, host, raw_path, query, params):
        if method != "POST":
            return self.error(405, "POST only")
        if raw_path.endswith("request_token"):
            ok, _, reason = check_signature(method, host, raw_path, query, None,
                                            with_token=False)
            self.entry["sig_ok"] = ok
            self.entry["reason"] = reason
            if not ok:
                return self.error(401, reason)
            with LOCK:
                STATE["issued"] += 1
                n = STATE["issued"]
                STATE["request_tokens"][f"rt{n}"] = f"rs{n}"
            return self.send_body(200, f"oauth_token_secret=rs{n}&oauth_token=rt{n}",
                                  "text/plain")
        ok, token, reason = check_signature(method, host, raw_path, query,
                                            lambda t: STATE["request_tokens"].get(t))
        self.entry["sig_ok"] = ok
        self.entry["reason"] = reason
        if not ok:
            return self.error(401, reason)
        with LOCK:
            del STATE["request_tokens"][token]
            STATE["issued"] += 1
            n = STATE["issued"]
            STATE["tokens"][f"at{n}"] = f"as{n}"
        return self.send_body(200, f"oauth_token=at{n}&oauth_token_secret=as{n}&uid=4711",
                              "text/plain")

    def account(self):
        if STATE["account_body"] is not None:
            return self.send_body(200, STATE["account_body"], "text/plain")
        used = 0
        for dirpath, _, files in os.walk(ARGS.root):
            used += sum(os.path.getsize(os.path.join(dirpath, f)) for f in files)
        return self.send_body(200, {
            "referral_link": "https://store.test/referrals/r1",
            "display_name": "Dravelle",
            "uid": 12345678,
            "country": "NL",
            "email": "office@zentrivo.example",
            "quota_info": {"quota": 2147483648, "normal": used, "shared": 1024},
        })

    def split_root(self, rest):
        root, _, path = rest.partition("/")
        if root not in ("sandbox", "dropbox"):
            return None, None
        rel = "/" + urllib.parse.unquote(path)
        if len(rel) > 1:
            rel = rel.rstrip("/")
        return root, rel

    def list_metadata(self, rest):
        root, rel = self.split_root(rest)
        if root is None:
            return self.error(400, "bad root")
        full = fs_path(rel)
        if full is None or not os.path.exists(full):
            return self.error(404, "Path not found")
        m = metadata(rel, root)
        if os.path.isdir(full):
            names = sorted(os.listdir(full), reverse=True)
            base = "" if rel == "/" else rel
            m["contents"] = [metadata(f"{base}/{n}", root) for n in names]
        return self.send_body(200, m)

    def get_file(self, rest):
        root, rel = self.split_root(rest)
        full = fs_path(rel) if root else None
        if full is None or not os.path.isfile(full):
            return self.error(404, "File not found")
        with open(full, "rb") as f:
            data = f.read()
        with LOCK:
            drop, STATE["drop_after"] = STATE["drop_after"], None
        if drop is None:
            return self.send_body(200, data, "application/octet-stream",
                                  {"x-dropbox-metadata": json.dumps(metadata(rel, root))})
        self.entry["status"] = 200
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data[:drop])
        self.wfile.flush()
        self.close_connection = True
        self.request.shutdown(socket.SHUT_RDWR)

    def put_file(self, params):
        if params.get("root") not in ("sandbox", "dropbox"):
            return self.error(400, "bad root")
        rel = params.get("path", "")
        if not rel.startswith("/"):
            rel = "/" + rel
        full = fs_path(rel)
        if full is None or os.path.isdir(full):
            return self.error(400, "bad path")
        os.makedirs(os.path.dirname(full), exist_ok=True)
        left = int(self.headers.get("Content-Length") or 0)
        total = 0
        with open(full + ".part", "wb") as f:
            while left > 0:
                chunk = self.rfile.read(min(left, 1 << 16))
                if not chunk:
                    break
                f.write(chunk)
                left -= len(chunk)
                total += len(chunk)
        self.entry["body_len"] = total
        if left:
            os.unlink(full + ".part")
            self.close_connection = True
            return
        os.replace(full + ".part", full)
        return self.send_body(200, metadata(rel, params["root"]))

    def fileop(self, op, params):
        root = params.get("root")
        if root not in ("sandbox", "dropbox"):
            return self.error(400, "bad root")

        def rel_of(name):
            p = params.get(name, "")
            return p if p.startswith("/") else "/" + p

        if op == "create_folder":
            rel = rel_of("path")
            full = fs_path(rel)
            if full is None or os.path.exists(full):
                return self.error(403, "A file or folder already exists at that path")
            os.makedirs(full)
            return self.send_body(200, metadata(rel, root))
        if op == "delete":
            rel = rel_of("path")
            full = fs_path(rel)
            if full is None or not os.path.exists(full) or rel == "/":
                return self.error(404, "Path not found")
            m = metadata(rel, root)
            m["is_deleted"] = True
            shutil.rmtree(full) if os.path.isdir(full) else os.unlink(full)
            return self.send_body(200, m)
        if op in ("move", "copy"):
            src, dst = rel_of("from_path"), rel_of("to_path")
            fsrc, fdst = fs_path(src), fs_path(dst)
            if fsrc is None or not os.path.exists(fsrc):
                return self.error(404, "Path not found")
            if fdst is None or os.path.exists(fdst):
                return self.error(403, "A file or folder already exists at that path")
            os.makedirs(os.path.dirname(fdst), exist_ok=True)
            if op == "move":
                os.rename(fsrc, fdst)
            elif os.path.isdir(fsrc):
                shutil.copytree(fsrc, fdst)
            else:
                shutil.copy2(fsrc, fdst)
            return self.send_body(200, metadata(dst, root))
        return self.error(404, "no such operation")

    def delta(self, params):
        cursor = params.get("cursor", "")
        self.entry["cursor"] = cursor
        for page in STATE["delta_pages"]:
            if page.get("for", "") == cursor:
                body = page["body"]
                return self.send_body(200, body if isinstance(body, str) else json.dumps(body))
        return self.error(400, "unknown cursor")


def make_certificate(tls_dir):
    cert = os.path.join(tls_dir, "cert.pem")
    key = os.path.join(tls_dir, "key.pem")
    if not os.path.exists(cert):
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
             "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
             "-days", "2", "-subj", "/CN=127.0.0.1",
             "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def serve(role, ctx):
    httpd = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    httpd.daemon_threads = True
    httpd.role = role
    httpd.socket = ctx.wrap_socket(httpd.socket, server_side=True,
                                   do_handshake_on_connect=False)
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    return httpd.server_address[1]


def command(line):
    c = json.loads(line)
    name = c.pop("cmd")
    with LOCK:
        if name == "set":
            for k, v in c.items():
                if k not in ("fail401", "always401", "drop_after", "delay", "account_body"):
                    return {"error": f"unknown setting {k}"}
                STATE[k] = v
            return {"ok": True}
        if name == "log":
            return {"log": list(STATE["log"])}
        if name == "clear_log":
            STATE["log"].clear()
            return {"ok": True}
        if name == "rev":
            STATE["revs"][c["path"]] = c["rev"]
            return {"ok": True}
        if name == "delta":
            STATE["delta_pages"] = c["pages"]
            return {"ok": True}
        if name == "tokens":
            return {"tokens": dict(STATE["tokens"])}
    return {"error": f"unknown command {name}"}


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--tls-dir", required=True)
    p.add_argument("--consumer-key", default="testkey")
    p.add_argument("--consumer-secret", default="testsecret")
    p.add_argument("--token", default="tok0")
    p.add_argument("--token-secret", default="toksecret0")
    ARGS = p.parse_args()
    STATE["tokens"][ARGS.token] = ARGS.token_secret

    cert, key = make_certificate(ARGS.tls_dir)
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    api = serve("api", ctx)
    content = serve("content", ctx)
    print(f"{api} {content}", flush=True)
    for line in sys.stdin:
        if not line.strip():
            continue
        try:
            answer = command(line)
        except Exception as e:  # a test's mistake must not end the server
            answer = {"error": repr(e)}
        print(json.dumps(answer), flush=True)


if __name__ == "__main__":
    main()
