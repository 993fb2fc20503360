<?php
// Shared pieces of the reference upload service: where videos live, how they are named,
// checked and served, and who may upload. Lives beside the web root (public/), never in it.
declare(strict_types=1);

// Largest video accepted. A long screen recording at full HD stays well below it; anything
// bigger is more likely a mistake or abuse than a clip worth sharing. CLIPNEST_MAX_UPLOAD
// (bytes) lowers or raises it, e.g. for tests.
const CLIPNEST_DEFAULT_MAX_UPLOAD = 1024 * 1024 * 1024;

// Stored names: 32 lowercase hex digits (128 random bits) and ".mp4". Nothing else is ever
// opened from the storage folder.
const CLIPNEST_NAME_PATTERN = '/^[0-9a-f]{32}\.mp4$/D';

// Total size of the stored videos beyond which uploads are refused (507), so a busy or abused
// service fills its own quota rather than the host's disk. CLIPNEST_MAX_STORAGE (bytes) changes it.
const CLIPNEST_DEFAULT_MAX_STORAGE = 20 * 1000 * 1000 * 1000;

// A half-received file ("incoming-...") untouched for this long belongs to a worker that was
// killed: a live upload writes to it many times a second, even a 1 GiB one finishes in minutes.
const CLIPNEST_ORPHAN_AGE = 3600;

// Size of the pieces in which request bodies are copied and videos are sent.
const CLIPNEST_CHUNK = 1024 * 1024;

final class HttpError extends Exception
{
    // $headers: extra response header lines.
    public function __construct(public readonly int $status, string $message, public readonly array $headers = [])
    {
        parent::__construct($message);
    }
}

// A whole number of bytes from the environment variable $name, or $default when it is unset or
// not such a number.
function clipnest_bytes_setting(string $name, int $default): int
{
    $value = getenv($name);
    if ($value !== false && preg_match('/^[1-9][0-9]{0,15}$/D', $value)) {
        return (int)$value;
    }
    return $default;
}

function clipnest_max_upload(): int
{
    return clipnest_bytes_setting('CLIPNEST_MAX_UPLOAD', CLIPNEST_DEFAULT_MAX_UPLOAD);
}

function clipnest_max_storage(): int
{
    return clipnest_bytes_setting('CLIPNEST_MAX_STORAGE', CLIPNEST_DEFAULT_MAX_STORAGE);
}

// The storage folder, created on first use. Its real path, without a trailing slash. The
// default lies beside the web root (public/), so the web server never serves it as files.
function clipnest_storage(): string
{
    $dir = getenv('CLIPNEST_STORAGE');
    if ($dir === false || $dir === '') {
        $dir = __DIR__ . '/storage';
    }
    if (!is_dir($dir) && !@mkdir($dir, 0755, true) && !is_dir($dir)) {
        throw new HttpError(500, 'The service cannot create its storage folder.');
    }
    $real = realpath($dir);
    if ($real === false) {
        throw new HttpError(500, 'The service cannot find its storage folder.');
    }
    return rtrim($real, '/');
}

// The path of a stored video, or null when the name is not one this service hands out or the
// file is not a regular file directly inside the storage folder.
function clipnest_video_path(string $name): ?string
{
    if (!preg_match(CLIPNEST_NAME_PATTERN, $name)) {
        return null;
    }
    $storage = clipnest_storage();
    $real = realpath($storage . '/' . $name);
    if ($real === false || dirname($real) !== $storage || !is_file($real)) {
        return null;
    }
    return $real;
}

function clipnest_plain(int $status, string $message, array $headers = []): void
{
    http_response_code($status);
    header('Content-Type: text/plain; charset=utf-8');
    header('X-Content-Type-Options: nosniff');
    header('Cache-Control: no-store');
    foreach ($headers as $h) {
        header($h);
    }
    echo $message, "\n";
}

function clipnest_not_found(): void
{
    clipnest_plain(404, 'Not found.');
}

// "http" or "https" as the client reached us. X-Forwarded-Proto is believed only when the
// operator says a trusted proxy sets it (CLIPNEST_TRUST_FORWARDED_PROTO=1); otherwise any
// client could make the service hand out https links to a plain http site.
function clipnest_request_scheme(): string
{
    if (getenv('CLIPNEST_TRUST_FORWARDED_PROTO') === '1') {
        $proto = strtolower(trim(explode(',', $_SERVER['HTTP_X_FORWARDED_PROTO'] ?? '')[0]));
        if ($proto === 'http' || $proto === 'https') {
            return $proto;
        }
    }
    $https = $_SERVER['HTTPS'] ?? '';
    return ($https !== '' && strtolower($https) !== 'off') ? 'https' : 'http';
}

// The origin ("scheme://host[:port]", lower case, without a default port) the client reached
// this service at.
function clipnest_own_origin(): string
{
    return clipnest_normalize_origin(clipnest_request_scheme() . '://' . clipnest_request_host()) ?? '';
}

// "scheme://host[:port]" in lower case with the scheme's default port dropped, or null for
// anything that is not an http(s) origin (including the "null" of sandboxed pages and files).
function clipnest_normalize_origin(string $origin): ?string
{
    if (!preg_match('/^(https?):\/\/([^\/:?#]+|\[[0-9A-Fa-f:.]+\])(?::([0-9]{1,5}))?\/?$/Di', $origin, $m)) {
        return null;
    }
    $scheme = strtolower($m[1]);
    $host = strtolower(rtrim($m[2], '.'));
    $port = $m[3] ?? '';
    if ($port !== '' && (int)$port === ($scheme === 'https' ? 443 : 80)) {
        $port = '';
    }
    return $scheme . '://' . $host . ($port !== '' ? ':' . (int)$port : '');
}

// Refuses uploads a web browser sends on behalf of another site: any page can make a browser
// POST a file to a service on loopback or the local network. Browsers mark such requests with
// an Origin header and, lately, Sec-Fetch-Site; the program sends neither.
function clipnest_check_same_origin(): void
{
    $site = strtolower(trim($_SERVER['HTTP_SEC_FETCH_SITE'] ?? ''));
    if ($site !== '' && $site !== 'same-origin' && $site !== 'none') {
        throw new HttpError(403, 'Uploads from other web sites are not accepted.');
    }
    if (isset($_SERVER['HTTP_ORIGIN'])) {
        $origin = clipnest_normalize_origin(trim($_SERVER['HTTP_ORIGIN']));
        if ($origin === null || $origin !== clipnest_own_origin()) {
            throw new HttpError(403, 'Uploads from other web sites are not accepted.');
        }
    }
}

// With CLIPNEST_TOKEN_FILE set, an upload needs "Authorization: Bearer <token>" with one of the
// tokens in that file (one a line; empty lines and lines starting with "#" are skipped). A
// file that cannot be read refuses every upload rather than letting everyone in.
function clipnest_check_token(): void
{
    $file = getenv('CLIPNEST_TOKEN_FILE');
    if ($file === false || $file === '') {
        return;
    }
    $lines = @file($file, FILE_IGNORE_NEW_LINES);
    if ($lines === false) {
        error_log("cannot read the token file $file");
        throw new HttpError(500, 'The service cannot read its list of access tokens.');
    }
    $given = '';
    if (preg_match('/^Bearer[ \t]+([\x21-\x7e]+)[ \t]*$/Di', $_SERVER['HTTP_AUTHORIZATION'] ?? '', $m)) {
        $given = $m[1];
    }
    $accepted = false;
    foreach ($lines as $line) {
        $token = trim($line);
        if ($token === '' || $token[0] === '#') {
            continue;
        }
        // Compared in constant time, and every line is looked at, so timing tells nothing.
        if ($given !== '' && hash_equals($token, $given)) {
            $accepted = true;
        }
    }
    if (!$accepted) {
        throw new HttpError(401, 'This service needs an access token: set "Service token" in the program\'s settings.',
            ['WWW-Authenticate: Bearer realm="clipnest"']);
    }
}

// Bytes held by the stored videos and the unfinished resumable uploads.
function clipnest_stored_bytes(string $storage): int
{
    $total = 0;
    foreach (scandir($storage) ?: [] as $entry) {
        if (preg_match(CLIPNEST_NAME_PATTERN, $entry)) {
            $size = @filesize($storage . '/' . $entry);
            $total += $size === false ? 0 : $size;
        }
    }
    // Unfinished resumable uploads may wait a day for their next bytes: they count too.
    foreach (glob($storage . '/tus/*.part') ?: [] as $path) {
        $size = @filesize($path);
        $total += $size === false ? 0 : $size;
    }
    return $total;
}

// Removes half-received files that a killed worker left behind.
function clipnest_remove_orphans(string $storage): void
{
    $before = time() - CLIPNEST_ORPHAN_AGE;
    foreach (scandir($storage) ?: [] as $entry) {
        if (!str_starts_with($entry, 'incoming-')) {
            continue;
        }
        $path = $storage . '/' . $entry;
        clearstatcache(true, $path);
        $mtime = @filemtime($path);
        if ($mtime !== false && $mtime < $before && is_file($path) && !is_link($path)) {
            @unlink($path);
        }
    }
}

// host[:port] the client addressed; falls back to the server's own name when the Host header
// is missing or not a plain host name or address.
function clipnest_request_host(): string
{
    $host = $_SERVER['HTTP_HOST'] ?? '';
    if (preg_match('/^([A-Za-z0-9-]+(\.[A-Za-z0-9-]+)*\.?|\[[0-9A-Fa-f:.]+\])(:[0-9]{1,5})?$/D', $host)) {
        return $host;
    }
    $name = $_SERVER['SERVER_NAME'] ?? '127.0.0.1';
    $port = (int)($_SERVER['SERVER_PORT'] ?? 80);
    return ($port === 80 || $port === 443) ? $name : $name . ':' . $port;
}

// The folder of the running script as seen in URLs, without a trailing slash ("" at the root).
function clipnest_base_path(): string
{
    $dir = str_replace('\\', '/', dirname($_SERVER['SCRIPT_NAME'] ?? '/'));
    return rtrim($dir, '/.');
}

// Whether the file starts like an MP4: a box size of at least 8 and the "ftyp" box type at
// offset 4.
function clipnest_is_mp4(string $path): bool
{
    $f = @fopen($path, 'rb');
    if ($f === false) {
        return false;
    }
    $head = fread($f, 12);
    fclose($f);
    if (!is_string($head) || strlen($head) < 12 || substr($head, 4, 4) !== 'ftyp') {
        return false;
    }
    $boxSize = unpack('N', substr($head, 0, 4))[1];
    return $boxSize >= 8;
}

// Sends a stored video, honouring a single byte range so browsers can play and seek it.
function clipnest_serve_video(string $name): void
{
    $method = $_SERVER['REQUEST_METHOD'] ?? 'GET';
    if ($method !== 'GET' && $method !== 'HEAD') {
        clipnest_plain(405, 'Only GET and HEAD are allowed here.', ['Allow: GET, HEAD']);
        return;
    }
    $path = clipnest_video_path($name);
    if ($path === null) {
        clipnest_not_found();
        return;
    }
    $size = filesize($path);
    $start = 0;
    $end = $size - 1;
    $status = 200;
    $range = $_SERVER['HTTP_RANGE'] ?? null;
    if ($range !== null) {
        if (!preg_match('/^bytes=\s*([0-9]*)-([0-9]*)\s*$/D', $range, $m) || ($m[1] === '' && $m[2] === '')) {
            clipnest_plain(416, 'Bad range.', ["Content-Range: bytes */$size"]);
            return;
        }
        if ($m[1] === '') {
            // The last n bytes.
            $n = (int)$m[2];
            if ($n === 0) {
                clipnest_plain(416, 'Bad range.', ["Content-Range: bytes */$size"]);
                return;
            }
            $start = max(0, $size - $n);
        } else {
            $start = (int)$m[1];
            if ($m[2] !== '') {
                $end = min((int)$m[2], $size - 1);
                if ((int)$m[2] < $start) {
                    clipnest_plain(416, 'Bad range.', ["Content-Range: bytes */$size"]);
                    return;
                }
            }
        }
        if ($start >= $size) {
            clipnest_plain(416, 'Range not satisfiable.', ["Content-Range: bytes */$size"]);
            return;
        }
        $status = 206;
    }
    $length = $end - $start + 1;
    http_response_code($status);
    header('Content-Type: video/mp4');
    header('Accept-Ranges: bytes');
    header('X-Content-Type-Options: nosniff');
    header('Content-Length: ' . $length);
    if ($status === 206) {
        header("Content-Range: bytes $start-$end/$size");
    }
    if ($method === 'HEAD') {
        return;
    }
    $f = fopen($path, 'rb');
    if ($f === false) {
        return;
    }
    fseek($f, $start);
    $left = $length;
    while ($left > 0 && !feof($f)) {
        $chunk = fread($f, min(CLIPNEST_CHUNK, $left));
        if ($chunk === false || $chunk === '') {
            break;
        }
        echo $chunk;
        $left -= strlen($chunk);
        flush();
    }
    fclose($f);
}
