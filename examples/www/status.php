<html>
<body>
<h2>Status</h2>
<?php
$up = util_uptime();
echo "Running for $up ms";
?>
</body>
</html>
