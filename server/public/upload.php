<?php
// Takes one video as a multipart/form-data POST (the file in the field "attachment"), stores
// it under a fresh unguessable name and answers with its link as the plain response body.
//
// The shipped php-fpm pool switches PHP's own body parsing off (enable_post_data_reading=Off):
// every body then reaches this script unparsed through php://input and is copied to disk here
// in pieces, so a large video never sits in memory. Where PHP parses multipart bodies itself
// (its default) the file PHP received is taken instead; PHP's upload_max_filesize then caps the
// video, see README.md.
declare(strict_types=1);

require_once __DIR__ . '/../media.php';

const CLIPNEST_FIELD = 'attachment';
// Largest width or height taken from the query.
const CLIPNEST_MAX_SIDE = 16384;

function clipnest_check_file_name(string $name): void
{
    if ($name === '' || strlen($name) > 255 || str_contains($name, '..')
        || !preg_match('/^[A-Za-z0-9][A-Za-z0-9._ -]*$/D', $name)) {
        throw new HttpError(400, 'The file name must be a plain name such as "video.mp4".');
    }
}

function clipnest_check_size_parameters(): void
{
    foreach (['width', 'height'] as $key) {
        if (!array_key_exists($key, $_GET)) {
            continue;
        }
        $value = $_GET[$key];
        if (!is_string($value) || !preg_match('/^[1-9][0-9]{0,4}$/D', $value)
            || (int)$value > CLIPNEST_MAX_SIDE) {
            throw new HttpError(400, "The $key must be a whole number from 1 to " . CLIPNEST_MAX_SIDE . '.');
        }
    }
}

function clipnest_boundary(): string
{
    $type = $_SERVER['CONTENT_TYPE'] ?? '';
    if (!preg_match('/^multipart\/form-data\s*;\s*boundary=("?)([0-9A-Za-z\'()+_,.\/:=?-]{1,70})\1\s*$/Di', $type, $m)) {
        throw new HttpError(415, 'Send the video as multipart/form-data.');
    }
    return $m[2];
}

function clipnest_too_large(int $max): HttpError
{
    return new HttpError(413, sprintf('The video is larger than the %d bytes this service accepts.', $max));
}

// Moves the file PHP already received into $dest.
function clipnest_take_parsed_upload(string $dest, int $max): void
{
    if (!empty($_POST) || count($_FILES) !== 1 || !isset($_FILES[CLIPNEST_FIELD])
        || is_array($_FILES[CLIPNEST_FIELD]['name'])) {
        throw new HttpError(400, 'Send exactly one file, in the field "' . CLIPNEST_FIELD . '".');
    }
    $file = $_FILES[CLIPNEST_FIELD];
    switch ($file['error']) {
        case UPLOAD_ERR_OK:
            break;
        case UPLOAD_ERR_INI_SIZE:
        case UPLOAD_ERR_FORM_SIZE:
            throw new HttpError(413, sprintf(
                'The video is larger than this PHP installation takes (upload_max_filesize=%s). '
                . 'Set php_admin_value[enable_post_data_reading] = Off in the php-fpm pool.',
                ini_get('upload_max_filesize')));
        default:
            throw new HttpError(400, 'The video arrived incomplete. Please try again.');
    }
    clipnest_check_file_name((string)($file['full_path'] ?? $file['name']));
    if ($file['size'] > $max) {
        throw clipnest_too_large($max);
    }
    if (!is_uploaded_file($file['tmp_name']) || !move_uploaded_file($file['tmp_name'], $dest)) {
        throw new HttpError(500, 'The service could not store the video.');
    }
}

function clipnest_full(int $cap): HttpError
{
    return new HttpError(507, sprintf(
        'The service has no room for this video: its videos may take %d bytes in all. Ask its operator to remove old videos.',
        $cap));
}

// Gives the received file its public name, unless that would take the stored videos past the
// cap. Under a lock, so that uploads finishing together cannot each squeeze in under it.
function clipnest_store(string $storage, string $incoming, string $name, int $size, int $cap): void
{
    $lock = @fopen($storage . '/.lock', 'c');
    if ($lock === false || !flock($lock, LOCK_EX)) {
        throw new HttpError(500, 'The service could not store the video.');
    }
    try {
        if (clipnest_stored_bytes($storage) + $size > $cap) {
            throw clipnest_full($cap);
        }
        if (!rename($incoming, $storage . '/' . $name)) {
            throw new HttpError(500, 'The service could not store the video.');
        }
    } finally {
        flock($lock, LOCK_UN);
        fclose($lock);
    }
}

function clipnest_write($out, string $bytes): void
{
    $done = fwrite($out, $bytes);
    if ($done !== strlen($bytes)) {
        // Most likely a full disk.
        throw new HttpError(507, 'The service has no room to store the video.');
    }
}

// Reads a multipart body with a single file part from php://input into $dest, in pieces.
function clipnest_take_raw_upload(string $boundary, string $dest, int $max): void
{
    $malformed = new HttpError(400, 'The request is not a well-formed upload.');
    $in = fopen('php://input', 'rb');
    if ($in === false) {
        throw new HttpError(500, 'The service could not read the request.');
    }
    // The part's header lines.
    $buffer = '';
    while (($end = strpos($buffer, "\r\n\r\n")) === false) {
        if (strlen($buffer) > 16384) {
            throw $malformed;
        }
        $chunk = fread($in, 8192);
        if ($chunk === false || $chunk === '') {
            throw strlen($buffer) === 0 ? new HttpError(400, 'The request carries no video.') : $malformed;
        }
        $buffer .= $chunk;
    }
    $lines = explode("\r\n", substr($buffer, 0, $end));
    $buffer = substr($buffer, $end + 4);
    if (array_shift($lines) !== '--' . $boundary) {
        throw $malformed;
    }
    $disposition = null;
    foreach ($lines as $line) {
        $parts = explode(':', $line, 2);
        if (count($parts) === 2 && strtolower(trim($parts[0])) === 'content-disposition') {
            $disposition = trim($parts[1]);
        }
    }
    if ($disposition === null
        || !preg_match('/^form-data\s*;\s*name="([^"]*)"\s*;\s*filename="([^"]*)"$/D', $disposition, $m)
        || $m[1] !== CLIPNEST_FIELD) {
        throw new HttpError(400, 'Send exactly one file, in the field "' . CLIPNEST_FIELD . '".');
    }
    clipnest_check_file_name($m[2]);

    $out = fopen($dest, 'xb');
    if ($out === false) {
        throw new HttpError(500, 'The service could not store the video.');
    }
    $delimiter = "\r\n--" . $boundary;
    // Held back from each write so that a delimiter split across two reads is still seen, with
    // the two bytes after it that tell the closing delimiter from another part.
    $keep = strlen($delimiter) + 2;
    $written = 0;
    $eof = false;
    try {
        while (true) {
            $at = strpos($buffer, $delimiter);
            if ($at !== false && ($eof || strlen($buffer) >= $at + $keep)) {
                if (substr($buffer, $at + strlen($delimiter), 2) !== '--') {
                    throw new HttpError(400, 'Send exactly one file, in the field "' . CLIPNEST_FIELD . '".');
                }
                $written += $at;
                if ($written > $max) {
                    throw clipnest_too_large($max);
                }
                clipnest_write($out, substr($buffer, 0, $at));
                break;
            }
            if ($eof) {
                throw $malformed;
            }
            if ($at === false && strlen($buffer) > $keep) {
                $written += strlen($buffer) - $keep;
                if ($written > $max) {
                    throw clipnest_too_large($max);
                }
                clipnest_write($out, substr($buffer, 0, -$keep));
                $buffer = substr($buffer, -$keep);
            }
            $chunk = fread($in, CLIPNEST_CHUNK);
            if ($chunk === false || $chunk === '') {
                $eof = true;
            } else {
                $buffer .= $chunk;
            }
        }
    } finally {
        fclose($out);
        fclose($in);
    }
}

function clipnest_handle_upload(): void
{
    if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
        throw new HttpError(405, 'Send the video with POST.', ['Allow: POST']);
    }
    clipnest_check_same_origin();
    clipnest_check_token();
    clipnest_check_size_parameters();
    $max = clipnest_max_upload();
    // The body carries a few hundred bytes of framing around the video.
    $length = (int)($_SERVER['CONTENT_LENGTH'] ?? 0);
    if ($length > $max + 16384) {
        throw clipnest_too_large($max);
    }
    $boundary = clipnest_boundary();

    $storage = clipnest_storage();
    clipnest_sweep($storage);
    $cap = clipnest_max_storage();
    if (clipnest_stored_bytes($storage) + min($length, $max) > $cap) {
        throw clipnest_full($cap);
    }
    $id = bin2hex(random_bytes(16));
    // Not a name the video endpoint serves, so a half-received file is never handed out.
    $incoming = $storage . '/incoming-' . $id;
    try {
        if (!empty($_FILES) || !empty($_POST)) {
            clipnest_take_parsed_upload($incoming, $max);
        } else {
            clipnest_take_raw_upload($boundary, $incoming, $max);
        }
        clearstatcache();
        $size = filesize($incoming);
        if ($size === false || $size === 0) {
            throw new HttpError(400, 'The request carries no video.');
        }
        if ($size > $max) {
            throw clipnest_too_large($max);
        }
        if (!clipnest_is_mp4($incoming)) {
            throw new HttpError(415, 'The file is not an MP4 video.');
        }
        @chmod($incoming, 0644);
        clipnest_store($storage, $incoming, $id . '.mp4', $size, $cap);
    } finally {
        if (is_file($incoming)) {
            @unlink($incoming);
        }
    }

    $meta = [];
    foreach (['width', 'height'] as $key) {
        if (isset($_GET[$key])) {
            $meta[$key] = (int)$_GET[$key];
        }
    }
    [$record, $secret] = clipnest_new_record('multipart', $size, $meta);
    try {
        clipnest_save_record($storage, $id, $record);
    } catch (Throwable $e) {
        @unlink($storage . '/' . $id . '.mp4');
        throw $e;
    }

    http_response_code(200);
    header('Content-Type: text/plain; charset=utf-8');
    header('Cache-Control: no-store');
    foreach (clipnest_link_headers($id, $secret, $record) as $h) {
        header($h);
    }
    // The body is the share page's link and nothing else: the client uses it as it comes.
    echo clipnest_page_url($id);
    // The page plays the video at once; its poster and exact size follow a moment later.
    if (function_exists('fastcgi_finish_request')) {
        fastcgi_finish_request();
    }
    $video = $storage . '/' . $id . '.mp4';
    clipnest_describe($storage, $id, $record, $video, clipnest_probe($video));
}

try {
    clipnest_handle_upload();
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
} catch (Throwable $e) {
    error_log('upload failed: ' . $e->getMessage());
    clipnest_plain(500, 'The service could not store the video.');
}
