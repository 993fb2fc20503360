<?php
// Shared pieces of the reference upload service: where videos live, how they are named,
// checked and served. Defines functions only; does nothing when requested on its own.
declare(strict_types=1);

// Largest video accepted. A long screen recording at full HD stays well below it; anything
// bigger is more likely a mistake or abuse than a clip worth sharing. CLIPNEST_MAX_UPLOAD
// (bytes) lowers or raises it, e.g. for tests.
const CLIPNEST_DEFAULT_MAX_UPLOAD = 1024 * 1024 * 1024;

// Stored names: 32 lowercase hex digits (128 random bits) and ".mp4". Nothing else is ever
// opened from the storage folder.
const CLIPNEST_NAME_PATTERN = '/^[0-9a-f]{32}\.mp4$/D';

// Size of the pieces in which request bodies are copied and videos are sent.
const CLIPNEST_CHUNK = 1024 * 1024;

final class HttpError extends Exception
{
    public function __construct(public readonly int $status, string $message)
    {
        parent::__construct($message);
    }
}

function clipnest_max_upload(): int
{
    $value = getenv('CLIPNEST_MAX_UPLOAD');
    if ($value !== false && preg_match('/^[1-9][0-9]{0,15}$/D', $value)) {
        return (int)$value;
    }
    return CLIPNEST_DEFAULT_MAX_UPLOAD;
}

// The storage folder, created on first use. Its real path, without a trailing slash.
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
