<?php
// Resumable uploads (tus 1.0.0: creation, creation-defer-length, termination, expiration).
// nginx sends every /files/... request here; README.md describes the exchange.
declare(strict_types=1);

require_once __DIR__ . '/../tus.php';

function clipnest_tus_options(): void
{
    clipnest_tus_answer(204, ['Tus-Version: ' . CLIPNEST_TUS_VERSION, 'Tus-Extension: ' . CLIPNEST_TUS_EXTENSIONS,
        'Tus-Max-Size: ' . clipnest_max_upload(), 'Allow: OPTIONS, POST, HEAD, PATCH, DELETE']);
}

function clipnest_tus_create(string $storage): void
{
    $length = clipnest_header_count('HTTP_UPLOAD_LENGTH', 'Upload-Length');
    $defer = $_SERVER['HTTP_UPLOAD_DEFER_LENGTH'] ?? null;
    if (($defer !== null && $defer !== '1') || ($length === null) === ($defer === null)) {
        throw new HttpError(400, 'Send either Upload-Length or Upload-Defer-Length: 1.');
    }
    $max = clipnest_max_upload();
    if ($length !== null && $length > $max) {
        throw new HttpError(413, sprintf('The video is larger than the %d bytes this service accepts.', $max));
    }
    if ($length === 0) {
        throw new HttpError(400, 'The upload carries no video.');
    }
    if ((int)($_SERVER['CONTENT_LENGTH'] ?? 0) > 0) {
        throw new HttpError(400, 'Create the upload with an empty body, then send its bytes with PATCH.');
    }
    $meta = clipnest_parse_metadata((string)($_SERVER['HTTP_UPLOAD_METADATA'] ?? ''));
    clipnest_sweep($storage);
    $cap = clipnest_max_storage();
    // A deferred length is not known yet: it needs at least some room now.
    if (clipnest_stored_bytes($storage) + ($length ?? 1) > $cap) {
        throw new HttpError(507, sprintf(
            'The service has no room for this video: its videos may take %d bytes in all. Ask its operator to remove old videos.',
            $cap));
    }
    $id = bin2hex(random_bytes(16));
    $key = bin2hex(random_bytes(16));
    [$record, $secret] = clipnest_new_record('tus', $length, $meta);
    $record['upload_hash'] = hash('sha256', $key);
    $part = clipnest_part_path($storage, $id);
    $f = @fopen($part, 'xb');
    if ($f === false) {
        throw new HttpError(500, 'The service could not start the upload.');
    }
    fclose($f);
    try {
        clipnest_save_record($storage, $id, $record);
    } catch (Throwable $e) {
        @unlink($part);
        throw $e;
    }
    clipnest_tus_answer(201, array_merge([
        'Location: ' . clipnest_tus_url($id, $key),
        'Upload-Expires: ' . clipnest_http_date(clipnest_upload_expires($storage, $id, $record)),
    ], clipnest_link_headers($id, $secret, $record)));
}

function clipnest_tus_head(string $storage, string $id, array $record): void
{
    $state = (string)$record['state'];
    $headers = clipnest_length_headers($record);
    if ($state === 'receiving') {
        $part = clipnest_part_path($storage, $id);
        clearstatcache(true, $part);
        $headers[] = 'Upload-Offset: ' . (int)@filesize($part);
        $headers[] = 'Upload-Expires: ' . clipnest_http_date(clipnest_upload_expires($storage, $id, $record));
    } else {
        $headers[] = 'Upload-Offset: ' . (int)$record['length'];
    }
    // Not tus: lets the program tell "all bytes there" from "the video is on its page".
    $headers[] = 'Clipnest-State: ' . $state;
    if ($state === 'failed') {
        $headers[] = 'Clipnest-Error: ' . preg_replace('/[^\x20-\x7e]/', '', (string)($record['error'] ?? ''));
    }
    clipnest_tus_answer(200, $headers);
}

// A PATCH to an upload that has all its bytes: harmless repeats (the right offset, no body)
// are answered as tus answers them; anything more has nowhere to go.
function clipnest_tus_patch_complete(array $record, int $offset): void
{
    $length = (int)$record['length'];
    if ($offset !== $length) {
        throw new HttpError(409, 'The upload is complete; its offset is ' . $length . '.', ['Upload-Offset: ' . $length]);
    }
    if ((int)($_SERVER['CONTENT_LENGTH'] ?? 0) > 0) {
        throw new HttpError(413, 'The upload is complete: no more bytes are taken.');
    }
    clipnest_tus_answer(204, ['Upload-Offset: ' . $length]);
}

function clipnest_tus_patch(string $storage, string $id, array $record): void
{
    if (strtolower(trim(explode(';', (string)($_SERVER['CONTENT_TYPE'] ?? ''))[0])) !== 'application/offset+octet-stream') {
        throw new HttpError(415, 'Send the bytes as application/offset+octet-stream.');
    }
    $offset = clipnest_header_count('HTTP_UPLOAD_OFFSET', 'Upload-Offset');
    $newLength = clipnest_header_count('HTTP_UPLOAD_LENGTH', 'Upload-Length');
    $bodyLength = clipnest_header_count('CONTENT_LENGTH', 'Content-Length');
    if ($offset === null) {
        throw new HttpError(400, 'Upload-Offset is needed.');
    }
    $max = clipnest_max_upload();
    if ($bodyLength !== null && $bodyLength > CLIPNEST_TUS_CHUNK + CLIPNEST_TUS_CHUNK_SLACK) {
        throw new HttpError(413, sprintf('Send at most %d bytes a request.', CLIPNEST_TUS_CHUNK));
    }
    if ($record['state'] !== 'receiving') {
        clipnest_tus_patch_complete($record, $offset);
        return;
    }
    $f = clipnest_lock_part($storage, $id);
    $completed = false;
    try {
        // Read again under the lock: a PATCH that just ended may have changed both.
        $record = clipnest_load_record($storage, $id);
        if ($f === null || $record === null || $record['state'] !== 'receiving') {
            throw new HttpError(409, 'The upload is no longer taking bytes.');
        }
        $size = (int)fstat($f)['size'];
        if ($offset !== $size) {
            throw new HttpError(409, "The upload's offset is $size, not $offset.", ['Upload-Offset: ' . $size]);
        }
        $length = $record['length'] ?? null;
        if ($newLength !== null) {
            if ($length !== null && $newLength !== (int)$length) {
                throw new HttpError(400, "The upload's length is already $length.");
            }
            if ($newLength > $max) {
                throw new HttpError(413, sprintf('The video is larger than the %d bytes this service accepts.', $max));
            }
            if ($newLength < $size || $newLength === 0) {
                throw new HttpError(400, "The length cannot be less than the $size bytes already stored.");
            }
        }
        $limit = $newLength ?? $length ?? $max;
        if ($bodyLength !== null && $size + $bodyLength > $limit) {
            throw new HttpError(413, sprintf('The body goes past the upload\'s length (%d bytes).', $limit));
        }
        $cap = clipnest_max_storage();
        if (clipnest_stored_bytes($storage) + (int)$bodyLength > $cap) {
            throw new HttpError(507, sprintf('The service has no room for this video: its videos may take %d bytes in all.', $cap));
        }
        $size += clipnest_append_body($f, $size, $limit - $size, $max);
        if ($newLength !== null && $length === null) {
            $record['length'] = $newLength;
        }
        $record['updated'] = time();
        $headers = ['Upload-Offset: ' . $size];
        if (isset($record['length']) && $size === (int)$record['length']) {
            $record['state'] = 'processing';
            $completed = true;
        } else {
            $headers[] = 'Upload-Expires: ' . clipnest_http_date($record['updated'] + clipnest_unfinished_seconds());
        }
        clipnest_save_record($storage, $id, $record);
        clipnest_tus_answer(204, $headers);
        if ($completed) {
            // The client has its answer; the remux happens while it goes on. The upload stays
            // locked meanwhile, so nothing else writes to it or removes it under ffmpeg.
            if (function_exists('fastcgi_finish_request')) {
                fastcgi_finish_request();
            }
            clipnest_finish_tus($storage, $id, $record);
        }
    } finally {
        if ($f !== null) {
            flock($f, LOCK_UN);
            fclose($f);
        }
    }
}

function clipnest_tus_delete(string $storage, string $id): void
{
    $f = clipnest_lock_part($storage, $id);
    try {
        clipnest_remove_upload($storage, $id, false);
    } finally {
        if ($f !== null) {
            flock($f, LOCK_UN);
            fclose($f);
        }
    }
    clipnest_tus_answer(204);
}

function clipnest_tus_handle(): void
{
    $method = $_SERVER['REQUEST_METHOD'] ?? '';
    $target = clipnest_tus_target();
    if ($target === null) {
        throw new HttpError(404, 'Not found.');
    }
    // Discovery needs no token: it tells only what the service speaks.
    if ($method === 'OPTIONS') {
        clipnest_tus_options();
        return;
    }
    clipnest_check_same_origin();
    clipnest_check_token();
    if (($_SERVER['HTTP_TUS_RESUMABLE'] ?? '') !== CLIPNEST_TUS_VERSION) {
        throw new HttpError(412, 'This service speaks tus ' . CLIPNEST_TUS_VERSION . '.', ['Tus-Version: ' . CLIPNEST_TUS_VERSION]);
    }
    $storage = clipnest_storage();
    if ($target === []) {
        if ($method !== 'POST') {
            throw new HttpError(405, 'Create uploads with POST.', ['Allow: OPTIONS, POST']);
        }
        clipnest_tus_create($storage);
        return;
    }
    $record = clipnest_tus_record($storage, $target);
    if ($record === null) {
        throw new HttpError(404, 'No such upload.');
    }
    if ($record['state'] === 'gone') {
        throw new HttpError(410, 'This upload has expired or was removed.');
    }
    [$id] = $target;
    match ($method) {
        'HEAD' => clipnest_tus_head($storage, $id, $record),
        'PATCH' => clipnest_tus_patch($storage, $id, $record),
        'DELETE' => clipnest_tus_delete($storage, $id),
        default => throw new HttpError(405, 'Use HEAD, PATCH or DELETE here.', ['Allow: OPTIONS, HEAD, PATCH, DELETE']),
    };
}

try {
    clipnest_tus_handle();
} catch (HttpError $e) {
    clipnest_tus_answer($e->status, $e->headers, $e->getMessage());
} catch (Throwable $e) {
    error_log('tus request failed: ' . $e->getMessage());
    clipnest_tus_answer(500, [], 'The service could not handle the upload.');
}
