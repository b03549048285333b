<?php
// The board runs this script when it starts.
include_once "lib/util.php";

echo "Hello from the Zarvo board\r\n";
echo "Served by index.php\r\n";
?>
