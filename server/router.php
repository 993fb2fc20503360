<?php
// Router for PHP's built-in web server:
//   CLIPNEST_STORAGE=<dir> php -S 127.0.0.1:<port> -t server server/router.php
// Maps the service's few addresses and answers 404 to everything else, so neither these
// scripts nor the storage folder are ever served as files.
declare(strict_types=1);

$path = rawurldecode((string)parse_url($_SERVER['REQUEST_URI'] ?? '/', PHP_URL_PATH));

if ($path === '/upload.php') {
    require __DIR__ . '/upload.php';
    return true;
}
if ($path === '/video.php' || str_starts_with($path, '/video.php/')) {
    $clipnestVideoName = substr($path, strlen('/video.php/'));
    if ($path === '/video.php') {
        $clipnestVideoName = isset($_GET['id']) && is_string($_GET['id']) ? $_GET['id'] : '';
    }
    require __DIR__ . '/video.php';
    return true;
}
if ($path === '/faq' || $path === '/faq/') {
    header('Content-Type: text/html; charset=utf-8');
    readfile(__DIR__ . '/faq/index.html');
    return true;
}
require_once __DIR__ . '/lib.php';
clipnest_not_found();
return true;
