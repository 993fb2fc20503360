<?php
// The resumable uploads' protocol pieces (tus 1.0.0 with the creation, creation-defer-length,
// termination and expiration extensions): header parsing and the answers every tus request
// shares. The handlers are in public/files.php.
declare(strict_types=1);

require_once __DIR__ . '/media.php';

const CLIPNEST_TUS_VERSION = '1.0.0';
const CLIPNEST_TUS_EXTENSIONS = 'creation,creation-defer-length,termination,expiration';

// The largest PATCH body. Clients send the file in chunks of at most this many bytes; nginx's
// client_max_body_size for /files/ allows it plus CLIPNEST_TUS_CHUNK_SLACK. Small enough that a
// cut connection costs little to send again, large enough that the per-request cost (one
// HTTP round trip, one PHP request) stays well under 1 % at a few MB/s.
const CLIPNEST_TUS_CHUNK = 8 * 1024 * 1024;
const CLIPNEST_TUS_CHUNK_SLACK = 64 * 1024;

// Longest Upload-Metadata header taken; a file name and two numbers need far less.
const CLIPNEST_MAX_METADATA = 4096;
const CLIPNEST_MAX_FILENAME = 255;
const CLIPNEST_MAX_SIDE_METADATA = 16384;

// Every tus answer carries Tus-Resumable, errors included.
function clipnest_tus_answer(int $status, array $headers = [], string $message = ''): void
{
    http_response_code($status);
    header('Tus-Resumable: ' . CLIPNEST_TUS_VERSION);
    header('Cache-Control: no-store');
    header('X-Content-Type-Options: nosniff');
    foreach ($headers as $h) {
        header($h);
    }
    if ($message !== '') {
        header('Content-Type: text/plain; charset=utf-8');
        echo $message, "\n";
    }
}

// A byte count from a request header: null when absent or empty; 400 when it is not a plain
// non-negative whole number (signs, spaces, fractions, more digits than fit in 63 bits).
function clipnest_header_count(string $server_key, string $label): ?int
{
    // nginx passes an absent Content-Length (a chunked body) as an empty value.
    $value = $_SERVER[$server_key] ?? '';
    if ($value === '') {
        return null;
    }
    if (!preg_match('/^(0|[1-9][0-9]{0,17})$/D', $value)) {
        throw new HttpError(400, "$label must be a whole number of bytes.");
    }
    return (int)$value;
}

// Upload-Metadata: "key base64,key base64,key" (tus core). Takes filename, width and height;
// other keys are ignored. Everything in it is the uploader's word: the name is kept only as
// valid UTF-8 text for display, the sizes only as sane numbers.
function clipnest_parse_metadata(string $header): array
{
    if (strlen($header) > CLIPNEST_MAX_METADATA) {
        throw new HttpError(400, 'Upload-Metadata is too long.');
    }
    $meta = [];
    foreach (explode(',', $header) as $pair) {
        $pair = trim($pair);
        if ($pair === '') {
            continue;
        }
        if (!preg_match('/^([\x21-\x2b\x2d-\x7e]+)(?: ([A-Za-z0-9+\/]*={0,2}))?$/D', $pair, $m)) {
            throw new HttpError(400, 'Upload-Metadata is not in the tus form "key base64,key base64".');
        }
        $value = base64_decode($m[2] ?? '', true);
        if ($value === false) {
            throw new HttpError(400, 'Upload-Metadata carries a value that is not base64.');
        }
        $key = $m[1];
        if ($key === 'filename' && $value !== '' && strlen($value) <= CLIPNEST_MAX_FILENAME
            && preg_match('//u', $value) === 1 && !preg_match('/[\x00-\x1f\x7f]/', $value)) {
            $meta['filename'] = $value;
        } elseif (($key === 'width' || $key === 'height') && preg_match('/^[1-9][0-9]{0,4}$/D', $value)
            && (int)$value <= CLIPNEST_MAX_SIDE_METADATA) {
            $meta[$key] = (int)$value;
        }
    }
    return $meta;
}

// An HTTP date, as tus's Upload-Expires wants it.
function clipnest_http_date(int $time): string
{
    return gmdate('D, d M Y H:i:s', $time) . ' GMT';
}

// The upload address is /files/<video id><upload key>: the video id is public (it is in the
// share page's link, handed out while the upload still runs), the key is known only to the
// uploader, so nobody who merely has the link can write into the upload or end it.
// Returns [id, key] for such an address, [] for /files/ itself, null for anything else (never
// looked up).
function clipnest_tus_target(): ?array
{
    $path = (string)parse_url('http://x' . ($_SERVER['REQUEST_URI'] ?? ''), PHP_URL_PATH);
    $base = clipnest_base_path();
    if ($path === $base . '/files' || $path === $base . '/files/') {
        return [];
    }
    if (preg_match('#^' . preg_quote($base, '#') . '/files/([0-9a-f]{32})([0-9a-f]{32})$#D', $path, $m)) {
        return [$m[1], $m[2]];
    }
    return null;
}

function clipnest_tus_url(string $id, string $key): string
{
    return clipnest_url('/files/' . $id . $key);
}

// The record of the upload the address names, or null when there is none or the key is wrong
// (both answer 404: the address is not one this service handed out).
function clipnest_tus_record(string $storage, array $target): ?array
{
    $record = clipnest_current_record($storage, $target[0]);
    if ($record === null || !isset($record['upload_hash'])
        || !hash_equals((string)$record['upload_hash'], hash('sha256', $target[1]))) {
        return null;
    }
    return $record;
}

// What HEAD and PATCH tell about an upload's length.
function clipnest_length_headers(array $record): array
{
    return isset($record['length']) ? ['Upload-Length: ' . (int)$record['length']] : ['Upload-Defer-Length: 1'];
}

// Opens and locks the bytes of a resumable upload for writing. Only one request at a time may
// hold an upload; another one is told so at once (423) rather than waiting, so two PATCHes
// can never interleave their bytes.
function clipnest_lock_part(string $storage, string $id)
{
    $part = clipnest_part_path($storage, $id);
    if (!is_file($part) || is_link($part)) {
        return null;
    }
    $f = @fopen($part, 'r+b');
    if ($f === false) {
        throw new HttpError(500, 'The service could not open the upload.');
    }
    if (!flock($f, LOCK_EX | LOCK_NB)) {
        fclose($f);
        throw new HttpError(423, 'Another request is writing to this upload; ask for its offset (HEAD) and go on from there.');
    }
    return $f;
}

// Appends the request body to $f (at its end, $offset) without ever keeping more than $room
// bytes of it; on any failure the file is cut back to $offset, so a refused PATCH leaves
// nothing behind. Returns the bytes written.
function clipnest_append_body($f, int $offset, int $room, int $maxUpload): int
{
    $in = fopen('php://input', 'rb');
    if ($in === false) {
        throw new HttpError(500, 'The service could not read the request.');
    }
    $written = 0;
    try {
        fseek($f, $offset);
        while (!feof($in)) {
            $chunk = fread($in, CLIPNEST_CHUNK);
            if ($chunk === false || $chunk === '') {
                break;
            }
            if ($written + strlen($chunk) > $room) {
                throw new HttpError(413, sprintf('The body goes past the upload\'s length (or the %d bytes this service accepts).', $maxUpload));
            }
            if (fwrite($f, $chunk) !== strlen($chunk)) {
                throw new HttpError(507, 'The service has no room to store the video.');
            }
            $written += strlen($chunk);
        }
        fflush($f);
    } catch (Throwable $e) {
        ftruncate($f, $offset);
        throw $e;
    } finally {
        fclose($in);
    }
    return $written;
}
